// The bank table: one record per bank code, sorted ascending, used in place.
// Indices are 1-based.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "BankRecord.h"
#include "Resource.h"

namespace zel {

int GetBankAnzahl();
// Copies record Index; an index outside 1..count gives an all-zero record.
void GetBankByIndex(int Index, TBankRecord& Bank);
// 1-based index of the record with this bank code, or -1.
// The halving search over the table (positions probed as documented).
int GetBankIndexByInteger(std::uint32_t Blz);
// The same answer through the bank-code index (used by the checks).
int FindBankIndex(std::uint32_t Blz);
// Parses the text as an integer (leading blanks and a sign allowed); a parse
// error or a value outside 10000000..89999999 gives -1.
int GetBankIndexByString(std::string_view Blz);
// The bank codes of all records with this PAN, eight digits each, joined by "+".
std::string GetBlzByPan(std::string_view Pan);

// The bank code and method number of record Index (1..count) without copying
// the record; for the hot paths of the check object.
std::uint32_t BankCodeAt(int Index);
std::uint8_t RuleAt(int Index);

// The runtime's integer parse: optional leading blanks, an optional sign, then
// decimal digits only, within 32 bits. False on any other text.
bool ParseInteger(std::string_view text, std::int32_t& value);

// The searches over any bank table, for the tests of other vintages.
int HalvingIndexOf(const TRecordTable& t, std::uint32_t Blz);

// What the account check needs of a bank: its method and deletion state.
struct TBankState {
  std::uint8_t Rule;
  char ChangeFlag;
  std::uint8_t DeletionFlag;
  std::uint32_t SuccessorBlz;
};
// The state of record Index (1..count), from the index.
TBankState BankStateAt(int Index);

// The bank codes alone, in table order, with the first slot of each value
// of the leading four digits, and the few fields a check needs: a check
// reads a few neighbouring codes and one small entry instead of probing
// 182-byte records across the table.
class TBankIndex {
 public:
  explicit TBankIndex(const TRecordTable& t);
  // The 1-based index of the code, or -1.
  int Find(std::uint32_t Blz) const;
  // The check's fields of record Index (1..count), kept beside the codes.
  const TBankState& State(int Index) const { return fStates[static_cast<std::size_t>(Index - 1)]; }
  int Count() const { return static_cast<int>(fCodes.size()); }

 private:
  static constexpr std::uint32_t kBucketDivisor = 10000;  // 8 digits -> the leading 4
  std::vector<std::uint32_t> fCodes;
  std::vector<TBankState> fStates;
  std::array<std::uint32_t, 10001> fFirst{};
};

}  // namespace zel
