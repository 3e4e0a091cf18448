#include "CliCommon.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ostream>

#include "CivilDate.h"
#include "ZelPackage.h"

namespace zelcli {

std::string JsonString(const std::string& utf8) {
  std::string s = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
      case '"': s += "\\\""; break;
      case '\\': s += "\\\\"; break;
      case '\n': s += "\\n"; break;
      case '\r': s += "\\r"; break;
      case '\t': s += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          s += buf;
        } else {
          s += static_cast<char>(c);
        }
    }
  }
  return s + "\"";
}

std::unique_ptr<zel::TProxyZelProbeObject> Probe(Context& c) {
  auto p = zel::TProxyZelProbeObject::Create("ZelProbeObject");
  if (!p) c.err << kNoDataFile << "\n";
  return p;
}

bool IsDigits(const std::string& s, std::size_t n) {
  return s.size() == n &&
         std::all_of(s.begin(), s.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

bool ToInt(const std::string& text, int& value) {
  std::size_t used = 0;
  try {
    value = std::stoi(text, &used);
  } catch (const std::exception&) {
    return false;
  }
  return used == text.size();
}

OutBuffer& OutBuffer::operator<<(long v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return *this << std::string_view(buf, static_cast<std::size_t>(r.ptr - buf));
}

void OutBuffer::Flush() {
  if (!fOut || fBuffer.empty()) return;
  fOut->write(fBuffer.data(), static_cast<std::streamsize>(fBuffer.size()));
  fBuffer.clear();
}

namespace {

std::string DayText(double day) {
  const zel::civil::Date d = zel::civil::FromDayNumber(day);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", d.day, d.month, d.year);
  return buf;
}

}  // namespace

// One clock for the choice of the data file and the judgement of its validity.
void SetClock(std::function<double()> dayNumber) {
  zel::ZelPackage()->SetClock(std::move(dayNumber));
}

DataValidity& Validity() {
  static DataValidity v;
  return v;
}

DataValidity JudgeValidity() {
  DataValidity v;
  auto p = zel::TProxyZelProbeObject::Create("ZelProbeObject");
  if (!p) return v;
  const zel::TZelVersionRecord r = p->GetVersionRecord();
  const double today = zel::ZelPackage()->Today();
  v.known = true;
  v.stale = today < r.ValidFrom || today > r.ValidTo;
  v.file = zel::ZelPackage()->GetCurrentFileName();
  v.from = DayText(r.ValidFrom);
  v.to = DayText(r.ValidTo);
  return v;
}

StatusTexts::Texts StatusTexts::Load(int code) {
  std::string raw = fProbe.GetErrorMessage(code);
  std::string utf8 = zel::Cp1252ToUtf8(raw);
  return {std::move(raw), std::move(utf8)};
}

// The usual codes are looked up by index: this runs once per batch line.
const StatusTexts::Texts& StatusTexts::Get(int code) {
  if (code >= kLeast && code < kLeast + kNear) {
    auto& near = fNear[static_cast<std::size_t>(code - kLeast)];
    if (!near) near = std::make_unique<Texts>(Load(code));
    return *near;
  }
  auto it = fFar.find(code);
  if (it == fFar.end()) it = fFar.emplace(code, Load(code)).first;
  return it->second;
}

const std::string& StatusTexts::Raw(int code) { return Get(code).first; }
const std::string& StatusTexts::Utf8(int code) { return Get(code).second; }

}  // namespace zelcli
