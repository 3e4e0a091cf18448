// Check methods A0 to E1 (numbers 100 to 141). Most run methods 00 to 99 as
// variants or pick one of them by the leading digits; a bare number in a row
// of the method table is Run(number) here.

#include "CheckMethods.h"

namespace zel::check {
namespace {

using B = BankDigits;

int A0(const B&, const Acc& k) {
  if (Value(k, 1, 7) == 0) return kNotCheckable;
  return Check(k, {9, 5}, {2, 4, 8, 5, 10}, P11);
}

int A1(const B&, const Acc& k) {
  const int length = Length(k);
  if (length != 10 && length != 8) return kNeedEightOrTenDigits;
  return Check(k, {9, 3}, w21, Cross, P10);
}

int A2(const B& b, const Acc& k) { return FirstValidMethod(b, k, {0, 4}); }
int A3(const B& b, const Acc& k) { return FirstValidMethod(b, k, {0, 10}); }

int A4(const B& b, const Acc& k) {
  const int status = k[3] == 9 && k[4] == 9
                         ? Check(k, {9, 5}, w2to6, P11)
                         : Variants(k, {{{9, 4}, w2to7, Plain, P11}, {{9, 4}, w2to7, Plain, P7}});
  return status == kOk ? kOk : Run(93, b, k);
}

// V1, and V2 only when V1 fails and the condition holds.
int SecondIf(const B& b, const Acc& k, int v1, bool condition, int v2) {
  const int status = Run(v1, b, k);
  return status != kOk && condition ? Run(v2, b, k) : status;
}

int A5(const B& b, const Acc& k) { return SecondIf(b, k, 0, k[1] != 9, 10); }
int A6(const B& b, const Acc& k) { return Run(k[2] == 8 ? 0 : 1, b, k); }
int A7(const B& b, const Acc& k) { return FirstValidMethod(b, k, {0, 3}); }

int A8(const B&, const Acc& k) {
  if (k[3] == 9) return Exception51(k);
  return Variants(k, {{{9, 4}, w2to7, Plain, P11}, {{9, 4}, w21, Cross, P10}});
}

int A9(const B& b, const Acc& k) { return FirstValidMethod(b, k, {1, 6}); }

int B0(const B& b, const Acc& k) {
  if (k[1] == 0) return kNeedTenDigits;
  if (k[1] == 8) return kWrongAccountType;
  if (In(k[8], {1, 2, 3, 6})) return kNotCheckable;
  return Run(6, b, k);
}

int B1(const B& b, const Acc& k) { return FirstValidMethod(b, k, {5, 1}); }
int B2(const B& b, const Acc& k) { return Run(k[1] == 8 || k[1] == 9 ? 0 : 2, b, k); }
int B3(const B& b, const Acc& k) { return Run(k[1] == 9 ? 6 : 32, b, k); }
int B4(const B& b, const Acc& k) { return SecondIf(b, k, 0, k[1] != 9, 7); }
int B5(const B& b, const Acc& k) { return SecondIf(b, k, 5, k[1] < 8, 0); }

int B6(const B& b, const Acc& k) {
  const std::uint64_t head = Value(k, 1, 5);
  return Run(k[1] != 0 || (head >= 2691 && head <= 2699) ? 20 : 53, b, k);
}

int B7(const B& b, const Acc& k) {
  const std::uint64_t n = Value(k, 1, 4);
  return (n >= 1 && n <= 5) || (n >= 700 && n <= 899) ? Run(1, b, k) : kNotCheckable;
}

int B8(const B& b, const Acc& k) {
  if (FirstValidMethod(b, k, {20, 29}) == kOk) return kOk;
  const std::uint64_t two = Value(k, 1, 2), three = Value(k, 1, 3);
  return (two >= 51 && two <= 59) || (three >= 901 && three <= 910) ? kNotCheckable : kInvalid;
}

int B9(const B&, const Acc& k) {
  const std::uint64_t n = Value(k, 1, 4);
  if (n == 0 || n >= 100) return kNeedSevenOrEightDigits;
  const int r = n <= 9 ? Sum(k, {9, 4}, {1, 2, 3, 4, 5, 6}) % 11 % 10
                       : Sum(k, {9, 3}, {1, 3, 2}, PlusWeight) % 10;
  return k[10] == r || k[10] == (r + 5) % 10 ? kOk : kInvalid;
}

int C0(const B& b, const Acc& k) {
  return Length(k) == 8 ? FirstValidMethod(b, k, {52, 20}) : Run(20, b, k);
}

int C1(const B& b, const Acc& k) {
  if (k[1] != 5) return Run(17, b, k);
  const int c = ((Sum(k, {1, 9}, w12, Cross) - 1) % 11 + 11) % 11;
  return Verify(k, 10, c == 0 ? 0 : 10 - c);
}

int C2(const B& b, const Acc& k) { return FirstValidMethod(b, k, {22, 0}); }
int C3(const B& b, const Acc& k) { return Run(k[1] == 9 ? 58 : 0, b, k); }
int C4(const B& b, const Acc& k) { return Run(k[1] == 9 ? 58 : 15, b, k); }

int C5(const B& b, const Acc& k) {
  switch (k[1]) {
    case 0:
      if (k[2] == 0 && k[3] != 0) return In(k[3], {3, 4, 5}) ? kNotCheckable : kWrongAccountType;
      if (k[2] == 0) return k[4] == 0 && k[5] >= 1 && k[5] <= 8 ? Run(75, b, k) : kWrongAccountType;
      return k[2] == 9 ? kWrongAccountType : Run(75, b, k);
    case 1:
    case 4:
    case 5:
    case 6:
    case 9: return Run(29, b, k);
    case 3: return Run(0, b, k);
    case 7: return k[2] == 0 ? kNotCheckable : kWrongAccountType;
    case 8: return k[2] == 5 ? kNotCheckable : kWrongAccountType;
    default: return kWrongAccountType;  // k1 = 2
  }
}

int C6(const B&, const Acc& k) {
  static constexpr int kStart[10] = {30, 33, 36, 38, 45, 41, 43, 31, 40, 40};
  return CheckWithStart(k, kStart[k[1]], {9, 2}, w21, Cross, P10);
}

int C7(const B& b, const Acc& k) { return FirstValidMethod(b, k, {63, 6}); }
int C8(const B& b, const Acc& k) { return FirstValidMethod(b, k, {0, 4, 7}); }
int C9(const B& b, const Acc& k) { return FirstValidMethod(b, k, {0, 7}); }
int D0(const B& b, const Acc& k) { return k[1] == 5 && k[2] == 7 ? kNotCheckable : Run(20, b, k); }

int D1(const B&, const Acc& k) {
  if (k[1] == 8) return kWrongAccountType;
  return CheckWithStart(k, 31, {9, 1}, w21, Cross, P10);
}

int D2(const B& b, const Acc& k) { return FirstValidMethod(b, k, {95, 0, 68}); }
int D3(const B& b, const Acc& k) { return FirstValidMethod(b, k, {0, 27}); }

int D4(const B&, const Acc& k) {
  if (k[1] == 0) return kNeedTenDigits;
  return CheckWithStart(k, 29, {9, 1}, w21, Cross, P10);
}

int D5(const B&, const Acc& k) {
  if (k[3] == 9 && k[4] == 9) return Check(k, {9, 3}, w2to8, P11);
  return Variants(
      k, {{{9, 4}, w2to7, Plain, P11}, {{9, 4}, w2to7, Plain, P7}, {{9, 4}, w2to7, Plain, P10}});
}

int D6(const B& b, const Acc& k) { return FirstValidMethod(b, k, {7, 3, 0}); }
int D7(const B&, const Acc& k) { return Check(k, {9, 1}, w21, Cross, PUnit); }

int D8(const B& b, const Acc& k) {
  if (k[1] != 0) return Run(0, b, k);
  return k[2] == 0 && k[3] != 0 ? kNotCheckable : kWrongAccountType;
}

int D9(const B& b, const Acc& k) { return FirstValidMethod(b, k, {0, 10, 18}); }
int E0(const B&, const Acc& k) { return CheckWithStart(k, 7, {9, 1}, w21, Cross, P10); }

int E1(const B&, const Acc& k) {
  const int r = Sum(k, {9, 1}, {1, 2, 3, 4, 5, 6, 11, 10, 9}, CharCode) % 11;
  return r == 10 ? kInvalid : Verify(k, 10, r);
}

}  // namespace

const MethodFn kMethodsA0ToE1[42] = {
    A0, A1, A2, A3, A4, A5, A6, A7, A8, A9,  //
    B0, B1, B2, B3, B4, B5, B6, B7, B8, B9,  //
    C0, C1, C2, C3, C4, C5, C6, C7, C8, C9,  //
    D0, D1, D2, D3, D4, D5, D6, D7, D8, D9,  //
    E0, E1,
};

}  // namespace zel::check
