// Dispatch from method numbers to methods.

#include <array>
#include <string_view>

#include "CheckMethods.h"
#include "Resource.h"

namespace zel::check {

namespace {

constexpr int kMethodCount = 145;  // 00..99, A0..E4
using Table = std::array<MethodFn, kMethodCount>;

Table Build(TMethodSet set) {
  Table t{};
  for (int i = 0; i < 100; ++i) t[static_cast<std::size_t>(i)] = kMethods00To99[i];
  for (int i = 0; i < 42; ++i) t[static_cast<std::size_t>(100 + i)] = kMethodsA0ToE1[i];
  if (set == TMethodSet::Current)
    for (const auto& [number, fn] : kCurrentRows) t[static_cast<std::size_t>(number)] = fn;
  return t;
}

const Table kTables[2] = {Build(TMethodSet::Y2013), Build(TMethodSet::Current)};

// The set named by the data file's version text (its fourth field), chosen
// when the module is loaded.
TMethodSet SetOfData() {
  const auto res = FindResource("VERSIONDATA");
  const std::string_view text(reinterpret_cast<const char*>(res.data()), res.size());
  return text.find(";current") != std::string_view::npos ? TMethodSet::Current : TMethodSet::Y2013;
}

TMethodSet gSet = SetOfData();

}  // namespace

void SelectMethodSet(TMethodSet set) { gSet = set; }
TMethodSet ActiveMethodSet() { return gSet; }

MethodFn MethodOf(int number) {
  if (number < 0 || number >= kMethodCount) return nullptr;
  return kTables[gSet == TMethodSet::Current ? 1 : 0][static_cast<std::size_t>(number)];
}

int Run(int number, const BankDigits& b, const Acc& k) { return MethodOf(number)(b, k); }

int FirstValidMethod(const BankDigits& b, const Acc& k, std::initializer_list<int> numbers) {
  int status = kUnknownMethod;
  for (int number : numbers)
    if ((status = Run(number, b, k)) == kOk) break;
  return status;
}

}  // namespace zel::check
