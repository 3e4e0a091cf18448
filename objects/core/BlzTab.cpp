#include "BlzTab.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "HalvingSearch.h"
#include "Resource.h"

namespace zel {
namespace {

constexpr std::uint32_t kLowSentinel = 0;
constexpr std::uint32_t kHighSentinel = 99999999;

using Table = TRecordTable;

// Mapped once per process, on first use; the bytes live as long as the module.
const Table& TheTable() {
  static const Table table = MapRecords("BANKDATA", kBankRecordSize);
  return table;
}

const std::byte* RecordAt(const Table& t, int index) { return t.At(index); }

template <typename T>
T FieldAt(const Table& t, int index, std::size_t offset) {
  T v;
  std::memcpy(&v, RecordAt(t, index) + offset, sizeof v);
  return v;
}

std::uint32_t KeyAt(const Table& t, int pos) {
  if (pos < 1) return kLowSentinel;
  if (pos > t.count) return kHighSentinel;
  return FieldAt<std::uint32_t>(t, pos, offsetof(TBankRecord, Blz));
}

}  // namespace

int HalvingIndexOf(const TRecordTable& t, std::uint32_t Blz) {
  // Codes at or beyond the sentinels would be "found" outside the table or
  // walk upwards without end.
  if (Blz <= kLowSentinel || Blz >= kHighSentinel) return -1;
  const int pos = HalvingSearch(t.count, [&](int p) {
    const std::uint32_t key = KeyAt(t, p);
    return key == Blz ? 0 : key < Blz ? -1 : 1;
  });
  return pos > 0 ? pos : -1;
}

namespace {

// Built with the table by the generator and used in place.
const TBankIndex kIndex(FindResource("BANKINDEX"));

}  // namespace

int GetBankAnzahl() { return TheTable().count; }

void GetBankByIndex(int Index, TBankRecord& Bank) {
  const Table& t = TheTable();
  if (Index < 1 || Index > t.count) {
    std::memset(&Bank, 0, sizeof Bank);
    return;
  }
  std::memcpy(&Bank, RecordAt(t, Index), sizeof Bank);
}

int GetBankIndexByInteger(std::uint32_t Blz) { return HalvingIndexOf(TheTable(), Blz); }

int FindBankIndex(std::uint32_t Blz) { return kIndex.Find(Blz); }

bool ParseInteger(std::string_view text, std::int32_t& value) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  std::int64_t v = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > 2147483647LL) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

// Eight plain digits, the usual form of a bank code, converted all at once:
// true with the value, false for any other text (which then takes the
// general parse).
bool EightDigits(std::string_view text, std::int32_t& value) {
  if (text.size() != 8) return false;
  std::uint64_t x;
  std::memcpy(&x, text.data(), 8);  // first character in the lowest byte
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  // Every byte in '0'..'9': no borrow below '0', no carry past '9'.
  if (((x - 0x30 * kOnes) | (x + 0x46 * kOnes)) & (0x80 * kOnes)) return false;
  x -= 0x30 * kOnes;
  x = (x * 10 + (x >> 8)) & 0x00FF00FF00FF00FFULL;
  x = (x * 100 + (x >> 16)) & 0x0000FFFF0000FFFFULL;
  x = (x * 10000 + (x >> 32)) & 0xFFFFFFFFULL;
  value = static_cast<std::int32_t>(x);
  return true;
}

int GetBankIndexByString(std::string_view Blz) {
  std::int32_t v = 0;
  if (!EightDigits(Blz, v) && !ParseInteger(Blz, v)) return -1;
  if (v < 10000000 || v > 89999999) return -1;
  // The index answers as the halving search does (the codes are unique).
  return FindBankIndex(static_cast<std::uint32_t>(v));
}

std::string GetBlzByPan(std::string_view Pan) {
  std::int32_t pan = 0;
  if (!ParseInteger(Pan, pan)) pan = 999999;
  const Table& t = TheTable();
  std::string out;
  for (int i = 1; i <= t.count; ++i) {
    if (pan < 0 ||
        FieldAt<std::uint32_t>(t, i, offsetof(TBankRecord, Pan)) != static_cast<std::uint32_t>(pan))
      continue;
    char code[16];
    std::snprintf(code, sizeof code, "%8.8u", FieldAt<std::uint32_t>(t, i, 0));
    if (!out.empty()) out += '+';
    out += code;
  }
  return out;
}

std::uint32_t BankCodeAt(int Index) {
  const Table& t = TheTable();
  if (Index < 1 || Index > t.count) return 0;
  return FieldAt<std::uint32_t>(t, Index, offsetof(TBankRecord, Blz));
}

TBankState BankStateAt(int Index) {
  if (Index < 1 || Index > kIndex.Count()) return {};
  return kIndex.State(Index);
}

std::uint8_t RuleAt(int Index) {
  const Table& t = TheTable();
  if (Index < 1 || Index > t.count) return 0;
  return FieldAt<std::uint8_t>(t, Index, offsetof(TBankRecord, Rule));
}

}  // namespace zel
