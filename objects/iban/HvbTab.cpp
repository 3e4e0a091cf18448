#include "HvbTab.h"

#include <array>

#include "IbanTables.h"
#include "KeyTable.h"

namespace zel {
namespace {

// The master table, "PPPxBBBBBBBB=CCCCCCCC" entries in ascending prefix order.
const TKeyTable& Master() {
  static const TKeyTable table(tables::kHvbRule31);
  return table;
}

// The prefix table: prefix 000..999 to the result of its first entry.
const std::array<std::string_view, 1000>& Prefixes() {
  static const std::array<std::string_view, 1000> prefixes = [] {
    std::array<std::string_view, 1000> p{};
    const std::string_view text = tables::kHvbRule31;
    for (std::size_t pos = 0; pos + 21 <= text.size(); pos += 22) {
      const std::string_view e = text.substr(pos, 21);  // PPPxBBBBBBBB=CCCCCCCC
      const int prefix = (e[0] - '0') * 100 + (e[1] - '0') * 10 + (e[2] - '0');
      if (p[static_cast<std::size_t>(prefix)].empty())
        p[static_cast<std::size_t>(prefix)] = e.substr(13);
    }
    return p;
  }();
  return prefixes;
}

}  // namespace

std::string GetHvbBlz0(std::string_view Prefix) {
  if (Prefix.size() != 3) return {};
  int n = 0;
  for (char c : Prefix) {
    if (c < '0' || c > '9') return {};
    n = n * 10 + (c - '0');
  }
  return std::string(Prefixes()[static_cast<std::size_t>(n)]);
}

std::string GetHvbBlz1(std::string_view Prefix, std::string_view Blz) {
  const std::string key = std::string(Prefix) + "x" + std::string(Blz);
  const std::string_view* v = Master().Find(key);
  return v ? std::string(*v) : std::string();
}

}  // namespace zel
