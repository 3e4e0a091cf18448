#include "SclTab.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "HalvingSearch.h"
#include "Resource.h"

namespace zel {
namespace {

using Table = TRecordTable;

const Table& TheTable() {
  static const Table table = MapRecords("SCLDATA", sizeof(TSclRecord));
  return table;
}

// The BIC of record pos, with sentinels of 0x00 below and 0xFF above.
std::string_view ProbeAt(const Table& t, int pos) {
  static constexpr char kLow[11] = {};
  static constexpr char kHigh[11] = {'\xff', '\xff', '\xff', '\xff', '\xff', '\xff',
                                     '\xff', '\xff', '\xff', '\xff', '\xff'};
  if (pos < 1) return {kLow, 11};
  if (pos > t.count) return {kHigh, 11};
  return {reinterpret_cast<const char*>(t.At(pos)) + 1, 11};
}

// Byte order, as unsigned bytes.
int Compare(std::string_view a, std::string_view b) {
  const int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
  if (c != 0) return c;
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

}  // namespace

int GetSclCount() { return TheTable().count; }

int GetSclIndexByBic(std::string_view Bic) {
  if (Bic.size() != 11) return 0;  // a longer text would walk past the end
  const Table& t = TheTable();
  return HalvingSearch(t.count, [&](int pos) { return Compare(ProbeAt(t, pos), Bic); });
}

void GetSclByIndex(int Index, TSclRecord& Record) {
  const Table& t = TheTable();
  if (Index < 1 || Index > t.count) {
    std::memset(&Record, 0, sizeof Record);
    return;
  }
  std::memcpy(&Record, t.At(Index), sizeof Record);
}

}  // namespace zel
