#include "SclTab.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "Resource.h"

namespace zel {
namespace {

struct Table {
  const std::byte* base = nullptr;
  int count = 0;
};

const Table& TheTable() {
  static const Table table = [] {
    const std::span<const std::byte> res = FindResource("SCLDATA");
    return Table{res.data(), static_cast<int>(res.size() / sizeof(TSclRecord))};
  }();
  return table;
}

// The BIC of record pos, with sentinels of 0x00 below and 0xFF above.
std::string_view ProbeAt(const Table& t, int pos) {
  static constexpr char kLow[11] = {};
  static constexpr char kHigh[11] = {'\xff', '\xff', '\xff', '\xff', '\xff', '\xff',
                                     '\xff', '\xff', '\xff', '\xff', '\xff'};
  if (pos < 1) return {kLow, 11};
  if (pos > t.count) return {kHigh, 11};
  const char* rec = reinterpret_cast<const char*>(t.base) +
                    static_cast<std::size_t>(pos - 1) * sizeof(TSclRecord);
  return {rec + 1, 11};
}

// Byte order, as unsigned bytes.
int Compare(std::string_view a, std::string_view b) {
  const int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
  if (c != 0) return c;
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}  // namespace

int GetSclCount() { return TheTable().count; }

// Halving search with sentinels; once the step is 1 it walks until it has
// moved both up and down.
int GetSclIndexByBic(std::string_view Bic) {
  if (Bic.size() != 11) return 0;  // a longer text would walk past the end
  const Table& t = TheTable();
  int pos = t.count / 2;
  int step = pos / 2;
  if (step == 0) step = 1;
  bool up = false, down = false;
  while (!(up && down)) {
    const int c = Compare(ProbeAt(t, pos), Bic);
    if (c == 0) return pos >= 1 && pos <= t.count ? pos : 0;
    if (c < 0) {
      pos += step;
      if (step == 1)
        up = true;
      else
        step /= 2;
    } else {
      pos -= step;
      if (step == 1)
        down = true;
      else
        step /= 2;
    }
  }
  return 0;
}

void GetSclByIndex(int Index, TSclRecord& Record) {
  const Table& t = TheTable();
  if (Index < 1 || Index > t.count) {
    std::memset(&Record, 0, sizeof Record);
    return;
  }
  std::memcpy(&Record, t.base + static_cast<std::size_t>(Index - 1) * sizeof Record, sizeof Record);
}

}  // namespace zel
