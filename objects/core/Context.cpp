#include "Context.h"

#include <algorithm>
#include <cstring>

namespace zel {
namespace {

constexpr char kMagic[8] = {'B', 'r', 'e', 'n', 'k', 'K', 'e', 'y'};

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

}  // namespace

void TContext::WriteBegin() {
  fStream.Seek(0);
  fStream.Write(kMagic, sizeof kMagic);
}

void TContext::Write(const std::string& Name, const std::string& Value) {
  std::string item(1, static_cast<char>(Name.size() % 256));
  item += Name;
  const auto length = static_cast<std::uint32_t>(Value.size());
  item.append(reinterpret_cast<const char*>(&length), sizeof length);
  item += Value;
  fStream.Write(item.data(), item.size());
}

void TContext::Write(const std::string& Name, std::int32_t Value) {
  Write(Name, std::to_string(Value));
}

void TContext::Write(const std::string& Name, bool Value) {
  Write(Name, std::string(Value ? "-1" : "0"));
}

void TContext::WriteEnd() {
  const char end = 0;
  fStream.Write(&end, 1);
}

void TContext::ReadAll() {
  fStream.Seek(0);
  fNames.clear();
  fValues.clear();
  char magic[sizeof kMagic];
  if (fStream.Read(magic, sizeof magic) != sizeof magic ||
      std::memcmp(magic, kMagic, sizeof magic) != 0)
    return;
  for (;;) {
    std::uint8_t nameLength = 0;
    if (fStream.Read(&nameLength, 1) != 1 || nameLength == 0) return;
    std::string name(nameLength, '\0');
    std::uint32_t valueLength = 0;
    if (fStream.Read(name.data(), nameLength) != nameLength ||
        fStream.Read(&valueLength, sizeof valueLength) != sizeof valueLength)
      return;
    // A length beyond the stream's end marks a cut stream: no value to read.
    if (valueLength > fStream.Size() - fStream.Position()) return;
    std::string value(valueLength, '\0');
    if (fStream.Read(value.data(), valueLength) != valueLength) return;
    fNames.push_back(std::move(name));
    fValues.push_back(std::move(value));
  }
}

std::string TContext::GetItem(const std::string& Name) const {
  for (std::size_t i = 0; i < fNames.size(); ++i)
    if (SameIgnoringCase(fNames[i], Name)) return fValues[i];
  return {};
}

}  // namespace zel
