// The binary layout of the bank table "BANKDATA": a flat array of 182-byte
// records, sorted by bank code, little-endian, texts as short strings.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "ShortString.h"

namespace zel {

#pragma pack(push, 1)

struct TBankRecord {
  std::uint32_t Blz;
  TShortString<58> Name58;
  std::uint32_t Plz;
  TShortString<35> Ort;
  TShortString<27> Name27;
  std::uint32_t Pan;
  TShortString<11> Bic;
  std::uint8_t Rule;
  std::uint32_t RecordNo;
  char ChangeFlag;
  std::uint8_t DeletionFlag;
  std::uint32_t SuccessorBlz;
  TShortString<20> Name20;
  std::uint16_t IbanRule;
  std::uint8_t IbanRuleVersion;
};

#pragma pack(pop)

static_assert(std::endian::native == std::endian::little, "the tables are little-endian");
static_assert(sizeof(TBankRecord) == 182);
static_assert(offsetof(TBankRecord, Name58) == 4);
static_assert(offsetof(TBankRecord, Plz) == 63);
static_assert(offsetof(TBankRecord, Ort) == 67);
static_assert(offsetof(TBankRecord, Name27) == 103);
static_assert(offsetof(TBankRecord, Pan) == 131);
static_assert(offsetof(TBankRecord, Bic) == 135);
static_assert(offsetof(TBankRecord, Rule) == 147);
static_assert(offsetof(TBankRecord, RecordNo) == 148);
static_assert(offsetof(TBankRecord, ChangeFlag) == 152);
static_assert(offsetof(TBankRecord, DeletionFlag) == 153);
static_assert(offsetof(TBankRecord, SuccessorBlz) == 154);
static_assert(offsetof(TBankRecord, Name20) == 158);
static_assert(offsetof(TBankRecord, IbanRule) == 179);
static_assert(offsetof(TBankRecord, IbanRuleVersion) == 181);

constexpr std::size_t kBankRecordSize = sizeof(TBankRecord);

// Check-method code ("00".."99", "A0".."E1", newer letters likewise) to its
// number: digits read as decimal; a letter L with digit d is
// 100 + 10 * (L - 'A') + d. Returns -1 for a code of another form.
constexpr int MethodNumber(std::string_view code) {
  if (code.size() != 2 || code[1] < '0' || code[1] > '9') return -1;
  const int d = code[1] - '0';
  if (code[0] >= '0' && code[0] <= '9') return (code[0] - '0') * 10 + d;
  if (code[0] >= 'A' && code[0] <= 'O') return 100 + 10 * (code[0] - 'A') + d;
  return -1;
}

}  // namespace zel
