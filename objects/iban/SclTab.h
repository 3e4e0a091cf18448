// The SCL directory of the Bundesbank: which BICs are reachable for which
// SEPA schemes. 128-byte records sorted by BIC, used in place.
#pragma once

#include <cstdint>
#include <string_view>

#include "ShortString.h"

namespace zel {

#pragma pack(push, 1)
struct TSclRecord {
  TShortString<11> Bic;    // 8-character BICs end in "XXX"
  TShortString<105> Name;  // code page 1252
  std::uint8_t Sct;        // 1 = reachable for credit transfers
  std::uint8_t Sdd;        // core direct debits
  std::uint8_t B2b;        // business-to-business direct debits
  std::uint8_t Cor1;       // core direct debits with the short period
  std::uint8_t Reserved[6];
};
#pragma pack(pop)
static_assert(sizeof(TSclRecord) == 128);

int GetSclCount();
// The 1-based index of the record with exactly this 11-character BIC, or 0.
int GetSclIndexByBic(std::string_view Bic);
// Copies record Index; outside 1..count the record is all zeros.
void GetSclByIndex(int Index, TSclRecord& Record);

}  // namespace zel
