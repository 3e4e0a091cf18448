// The bank-code index: the bank codes alone, in table order, the first slot
// of each value of their leading four digits, and the few fields a check
// needs. A check reads a few neighbouring codes and one small entry instead
// of probing 182-byte records across the table. The table generator's
// companion (mkbankindex) builds it into the resource "BANKINDEX", which the
// module uses in place: loading touches none of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "Resource.h"

namespace zel {

// What the account check needs of a bank: its method and deletion state.
struct TBankState {
  std::uint8_t Rule;
  char ChangeFlag;
  std::uint8_t DeletionFlag;
  std::uint32_t SuccessorBlz;
};

class TBankIndex {
 public:
  // The index image of a bank table (little-endian): the count, the first
  // slots, the codes, the states.
  static std::string Build(const TRecordTable& table);

  // A view of an index image; an image of another size finds nothing.
  explicit TBankIndex(std::span<const std::byte> image);

  int Count() const { return fCount; }
  // The 1-based index of the code, or -1.
  int Find(std::uint32_t Blz) const;
  // The check's fields of record Index (1..count).
  TBankState State(int Index) const;

 private:
  static constexpr std::uint32_t kBucketDivisor = 10000;  // 8 digits -> the leading 4
  static constexpr std::size_t kBuckets = 10001;
  std::uint32_t At(std::size_t word) const;

  const std::byte* fImage = nullptr;
  int fCount = 0;
};

}  // namespace zel
