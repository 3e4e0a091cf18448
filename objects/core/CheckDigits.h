// Building blocks of the check-digit methods: digit arrays, weighted sums in
// the plain/cross/units/transform modes, the check-digit rules, shifts and
// variants. Everything works on small arrays on the stack.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "ErrorCodes.h"

namespace zel::check {

using namespace zel::ErrorCodes;

// Account digits k1..k10 (index 0 unused), right-aligned, 0..9 each.
struct Acc {
  std::array<std::uint8_t, 11> k{};
  constexpr int operator[](int i) const { return k[static_cast<std::size_t>(i)]; }
  constexpr std::uint8_t& at(int i) { return k[static_cast<std::size_t>(i)]; }
};

// Bank-code digits b1..b8 (index 0 unused).
struct BankDigits {
  std::array<std::uint8_t, 9> b{};
  constexpr int operator[](int i) const { return b[static_cast<std::size_t>(i)]; }
};

// Fills b1..b8 from the first eight characters (low four bits of each).
inline BankDigits MakeBankDigits(std::string_view blz) {
  BankDigits d;
  if (blz.size() >= 8) {
    std::uint64_t x;
    std::memcpy(&x, blz.data(), 8);
    x &= 0x0F0F0F0F0F0F0F0FULL;
    std::memcpy(d.b.data() + 1, &x, 8);
  } else {
    for (std::size_t i = 0; i < blz.size(); ++i)
      d.b[i + 1] = static_cast<std::uint8_t>(blz[i] & 15);
  }
  return d;
}

// Normalises an account text into k1..k10: 0 on success, else 11, 12 or 14.
inline int MakeAccount(std::string_view text, Acc& acc) {
  if (text.size() > 10) return kTooLong;
  acc = Acc{};
  unsigned any = 0;
  std::uint8_t* out = acc.k.data() + 11 - text.size();
  for (char c : text) {
    const auto d = static_cast<std::uint8_t>(c - '0');
    if (d > 9) return kNotDigits;
    any |= d;
    *out++ = d;
  }
  return any ? kOk : kZero;
}

// A weight list, used as written or repeated over a longer span.
struct W {
  std::uint8_t n = 0;
  std::uint8_t v[12] = {};
  constexpr W(std::initializer_list<int> l) {
    for (int x : l) v[n++] = static_cast<std::uint8_t>(x);
  }
};

// The common weight lists.
inline constexpr W w21{2, 1};
inline constexpr W w12{1, 2};
inline constexpr W w2to7{2, 3, 4, 5, 6, 7};
inline constexpr W w2to6{2, 3, 4, 5, 6};
inline constexpr W w2to8{2, 3, 4, 5, 6, 7, 8};
inline constexpr W w2to9{2, 3, 4, 5, 6, 7, 8, 9};
inline constexpr W w2to10{2, 3, 4, 5, 6, 7, 8, 9, 10};
inline constexpr W w21212{2, 1, 2, 1, 2};
// Rows of the transformation table, the first at the digit left of the check digit.
inline constexpr W rows1to4{1, 2, 3, 4};

// Positions of a sum: from `first` to `last` (either direction), the first
// weight at `first`; positions whose bit is set in `skip` are left out.
struct Pos {
  std::int8_t first;
  std::int8_t last;
  std::uint16_t skip = 0;
};

constexpr std::uint16_t Skip(int a, int b = 0) {
  return static_cast<std::uint16_t>((1u << a) | (b ? 1u << b : 0u));
}

// How a digit and its weight make a term of the sum: the product (plain), its
// cross sum (cross), its last digit (units), the transformation table entry
// of the digit in the weight's row (transform), (weight x digit + weight)
// mod 11 (plusWeight), or the product with the digit's character code (charCode).
enum class Mode : std::uint8_t { Plain, Cross, Units, Transform, PlusWeight, CharCode };

inline constexpr Mode Plain = Mode::Plain;
inline constexpr Mode Cross = Mode::Cross;
inline constexpr Mode Units = Mode::Units;
inline constexpr Mode Transform = Mode::Transform;
inline constexpr Mode PlusWeight = Mode::PlusWeight;
inline constexpr Mode CharCode = Mode::CharCode;

inline constexpr std::uint8_t kTransform[4][10] = {
    {0, 1, 5, 9, 3, 7, 4, 8, 2, 6},
    {0, 1, 7, 6, 9, 8, 3, 2, 5, 4},
    {0, 1, 8, 4, 6, 2, 9, 5, 7, 3},
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
};

constexpr int CrossSum(int n) {
  int s = 0;
  for (; n > 0; n /= 10) s += n % 10;
  return s;
}

constexpr int Term(int digit, int weight, Mode m) {
  switch (m) {
    case Mode::Plain: return digit * weight;
    case Mode::Cross: return CrossSum(digit * weight);
    case Mode::Units: return digit * weight % 10;
    case Mode::Transform: return kTransform[weight - 1][digit];
    case Mode::PlusWeight: return (weight * digit + weight) % 11;
    case Mode::CharCode: return (digit + '0') * weight;
  }
  return 0;
}

constexpr int Sum(const Acc& k, Pos p, const W& w, Mode m = Mode::Plain) {
  const int dir = p.first >= p.last ? -1 : 1;
  int s = 0;
  int i = 0;  // the weight list repeats: i runs 0..n-1 and starts again
  for (int pos = p.first;; pos += dir) {
    if (!(p.skip & (1u << pos))) {
      s += Term(k[pos], w.v[i], m);
      if (++i == w.n) i = 0;
    }
    if (pos == p.last) break;
  }
  return s;
}

// Check-digit rules: the expected check digit for a sum, or kNoDigit when
// the sum makes every account invalid.
constexpr int kNoDigit = -1;
using Rule = int (*)(int);

constexpr int P10(int s) { return (10 - s % 10) % 10; }
constexpr int P11(int s) {
  const int r = s % 11;
  return r < 2 ? 0 : 11 - r;
}
constexpr int P11X(int s) {
  const int r = s % 11;
  return r == 0 ? 0 : r == 1 ? kNoDigit : 11 - r;
}
constexpr int P7(int s) { return (7 - s % 7) % 7; }
// The last digit of the sum itself.
constexpr int PUnit(int s) { return s % 10; }

constexpr int Verify(const Acc& k, int at, int p) { return p == k[at] ? kOk : kInvalid; }

// The common method shape: weighted sum, rule, compare at the check digit.
constexpr int Check(const Acc& k, Pos span, const W& w, Mode m, Rule rule, int at = 10) {
  return Verify(k, at, rule(Sum(k, span, w, m)));
}
constexpr int Check(const Acc& k, Pos span, const W& w, Rule rule, int at = 10) {
  return Check(k, span, w, Mode::Plain, rule, at);
}
// The same with a start value added to the sum.
constexpr int CheckWithStart(const Acc& k, int start, Pos span, const W& w, Mode m, Rule rule) {
  return Verify(k, 10, rule(start + Sum(k, span, w, m)));
}

// Runs the variants in order; the first 0 wins, else the last status counts.
template <typename... F>
constexpr int FirstValid(F&&... variant) {
  int status = kUnknownMethod;
  (void)(((status = variant()) == kOk) || ...);
  return status;
}

// A variant of the common shape, written as the method table writes it.
struct Variant {
  Pos span;
  W w;
  Mode mode;
  Rule rule;
  int at = 10;
};

constexpr int Variants(const Acc& k, std::initializer_list<Variant> variants) {
  int status = kUnknownMethod;
  for (const Variant& v : variants)
    if ((status = Check(k, v.span, v.w, v.mode, v.rule, v.at)) == kOk) break;
  return status;
}

// The digits moved n places left; n zeros enter at the right.
constexpr Acc ShiftLeft(const Acc& k, int n) {
  Acc s;
  for (int i = 1; i + n <= 10; ++i) s.at(i) = static_cast<std::uint8_t>(k[i + n]);
  return s;
}

// Digits first..last read as a decimal number.
constexpr std::uint64_t Value(const Acc& k, int first = 1, int last = 10) {
  std::uint64_t v = 0;
  for (int i = first; i <= last; ++i) v = v * 10 + static_cast<std::uint64_t>(k[i]);
  return v;
}

// Position of the first non-zero digit at or right of `from`, or 0.
constexpr int FirstNonZero(const Acc& k, int from = 1) {
  for (int i = from; i <= 10; ++i)
    if (k[i] != 0) return i;
  return 0;
}

// Number of significant digits of the account (10 - leading zeros).
constexpr int Length(const Acc& k) {
  const int first = FirstNonZero(k);
  return first == 0 ? 0 : 11 - first;
}

constexpr bool In(int v, std::initializer_list<int> set) {
  for (int x : set)
    if (x == v) return true;
  return false;
}

}  // namespace zel::check
