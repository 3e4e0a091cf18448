#include "BankIndex.h"

#include <cstring>

#include "BankRecord.h"

namespace zel {
namespace {

// The image: count, kBuckets first slots, count codes (words of 4 bytes),
// then count states of 8 bytes.
constexpr std::size_t kStateSize = 8;

template <typename T>
T FieldOf(const TRecordTable& t, int index, std::size_t offset) {
  T v;
  std::memcpy(&v, t.At(index) + offset, sizeof v);
  return v;
}

template <typename T>
void Put(std::string& out, T v) {
  out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

}  // namespace

std::string TBankIndex::Build(const TRecordTable& t) {
  std::string out;
  Put(out, static_cast<std::uint32_t>(t.count));
  std::size_t slot = 0;
  for (std::size_t k = 0; k < kBuckets; ++k) {
    while (slot < static_cast<std::size_t>(t.count) &&
           FieldOf<std::uint32_t>(t, static_cast<int>(slot) + 1, offsetof(TBankRecord, Blz)) /
                   kBucketDivisor <
               k)
      ++slot;
    Put(out, static_cast<std::uint32_t>(slot));
  }
  for (int i = 1; i <= t.count; ++i)
    Put(out, FieldOf<std::uint32_t>(t, i, offsetof(TBankRecord, Blz)));
  for (int i = 1; i <= t.count; ++i) {
    Put(out, FieldOf<std::uint8_t>(t, i, offsetof(TBankRecord, Rule)));
    Put(out, FieldOf<char>(t, i, offsetof(TBankRecord, ChangeFlag)));
    Put(out, FieldOf<std::uint8_t>(t, i, offsetof(TBankRecord, DeletionFlag)));
    Put(out, std::uint8_t{0});
    Put(out, FieldOf<std::uint32_t>(t, i, offsetof(TBankRecord, SuccessorBlz)));
  }
  return out;
}

TBankIndex::TBankIndex(std::span<const std::byte> image) {
  if (image.size() < 4) return;
  std::uint32_t count = 0;
  std::memcpy(&count, image.data(), 4);
  if (count > 1000000 || image.size() != 4 * (1 + kBuckets + count) + kStateSize * count) return;
  fImage = image.data();
  fCount = static_cast<int>(count);
}

std::uint32_t TBankIndex::At(std::size_t word) const {
  std::uint32_t v;
  std::memcpy(&v, fImage + 4 * word, 4);
  return v;
}

int TBankIndex::Find(std::uint32_t Blz) const {
  const std::size_t k = Blz / kBucketDivisor;
  if (!fImage || k + 1 >= kBuckets) return -1;
  // The codes of the bucket, searched by halving.
  std::size_t lo = At(1 + k), hi = At(1 + k + 1);
  const std::size_t codes = 1 + kBuckets;
  while (lo < hi) {
    const std::size_t mid = (lo + hi) / 2;
    if (At(codes + mid) < Blz)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo < At(1 + k + 1) && At(codes + lo) == Blz ? static_cast<int>(lo) + 1 : -1;
}

TBankState TBankIndex::State(int Index) const {
  TBankState s{};
  if (!fImage || Index < 1 || Index > fCount) return s;
  const std::byte* p = fImage + 4 * (1 + kBuckets + static_cast<std::size_t>(fCount)) +
                       kStateSize * static_cast<std::size_t>(Index - 1);
  std::memcpy(&s.Rule, p, 1);
  std::memcpy(&s.ChangeFlag, p + 1, 1);
  std::memcpy(&s.DeletionFlag, p + 2, 1);
  std::memcpy(&s.SuccessorBlz, p + 4, 4);
  return s;
}

}  // namespace zel
