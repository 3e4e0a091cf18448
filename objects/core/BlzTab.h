// The bank table: one record per bank code, sorted ascending, used in place.
// Indices are 1-based.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "BankIndex.h"
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

// The state of record Index (1..count), from the bank-code index.
TBankState BankStateAt(int Index);

// The documented search over any bank table (for the tests of other vintages).
int HalvingIndexOf(const TRecordTable& t, std::uint32_t Blz);

}  // namespace zel
