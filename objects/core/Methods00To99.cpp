// Check methods 00 to 99. Each function reads like its row of the method
// table: spans are written from the first weighted position to the last.

#include "CheckMethods.h"

namespace zel::check {
namespace {

using B = BankDigits;

// R = S mod 11 with a verdict per remainder, shared by several rows.
int Mod11(const Acc& k, Pos span, const W& w, auto verdict) {
  return verdict(Sum(k, span, w) % 11);
}

int M00(const B&, const Acc& k) { return Check(k, {9, 1}, w21, Cross, P10); }
int M01(const B&, const Acc& k) { return Check(k, {9, 1}, {3, 7, 1}, P10); }
int M02(const B&, const Acc& k) { return Check(k, {9, 1}, {2, 3, 4, 5, 6, 7, 8, 9, 2}, P11X); }
int M03(const B&, const Acc& k) { return Check(k, {9, 1}, w21, P10); }
int M04(const B&, const Acc& k) { return Check(k, {9, 1}, w2to7, P11X); }
int M05(const B&, const Acc& k) { return Check(k, {9, 1}, {7, 3, 1}, P10); }
int M06(const B&, const Acc& k) { return Check(k, {9, 1}, w2to7, P11); }
int M07(const B&, const Acc& k) { return Check(k, {9, 1}, w2to10, P11X); }
int M08(const B& b, const Acc& k) { return Value(k) < 60000 ? kNotCheckable : M00(b, k); }
int M09(const B&, const Acc&) { return kNoCheckDigits; }
int M10(const B&, const Acc& k) { return Check(k, {9, 1}, w2to10, P11); }

int M11(const B&, const Acc& k) {
  return Mod11(k, {9, 1}, w2to10, [&](int r) {
    return Verify(k, 10, r == 0 ? 0 : r == 1 ? 9 : 11 - r);
  });
}

int M14(const B&, const Acc& k) { return Check(k, {9, 4}, w2to7, P11X); }
int M15(const B&, const Acc& k) { return Check(k, {9, 6}, {2, 3, 4, 5}, P11); }

int M16(const B&, const Acc& k) {
  return Mod11(k, {9, 1}, w2to7, [&](int r) {
    if (r == 1) return k[10] == k[9] ? kOk : kInvalid;
    return Verify(k, 10, r == 0 ? 0 : 11 - r);
  });
}

int M17(const B&, const Acc& k) {
  const int c = ((Sum(k, {2, 7}, {1, 2, 1, 2, 1, 2}, Cross) - 1) % 11 + 11) % 11;
  return Verify(k, 8, c == 0 ? 0 : 10 - c);
}

int M18(const B&, const Acc& k) { return Check(k, {9, 1}, {3, 9, 7, 1}, P10); }
int M19(const B&, const Acc& k) { return Check(k, {9, 1}, {2, 3, 4, 5, 6, 7, 8, 9, 1}, P11); }
int M20(const B&, const Acc& k) { return Check(k, {9, 1}, {2, 3, 4, 5, 6, 7, 8, 9, 3}, P11); }

int M21(const B&, const Acc& k) {
  int s = Sum(k, {9, 1}, w21, Cross);
  while (s >= 10) s = CrossSum(s);
  return Verify(k, 10, 10 - s);
}

int M22(const B&, const Acc& k) { return Check(k, {9, 1}, {3, 1}, Units, P10); }

int M23(const B&, const Acc& k) {
  return Mod11(k, {6, 1}, w2to7, [&](int r) {
    if (r == 1) return k[7] == k[6] ? kOk : kInvalid;
    return Verify(k, 7, r == 0 ? 0 : 11 - r);
  });
}

int M24(const B&, const Acc& acc) {
  Acc k = acc;
  if (In(k[1], {3, 4, 5, 6})) k.at(1) = 0;
  if (k[1] == 9) k.at(1) = k.at(2) = k.at(3) = 0;
  const int first = FirstNonZero(k);
  if (first == 0) return kZero;
  if (first == 10) return Verify(k, 10, 0);  // no digit before the check digit
  return Verify(k, 10, Sum(k, {static_cast<std::int8_t>(first), 9}, {1, 2, 3}, PlusWeight) % 10);
}

int M25(const B&, const Acc& k) {
  if (k[1] != 0) return kNeedNineDigits;
  return Mod11(k, {9, 2}, w2to9, [&](int r) {
    if (r == 1) return k[2] == 8 || k[2] == 9 ? Verify(k, 10, 0) : kWrongAccountType;
    return Verify(k, 10, r == 0 ? 0 : 11 - r);
  });
}

int M26(const B&, const Acc& acc) {
  const Acc k = acc[1] == 0 && acc[2] == 0 ? ShiftLeft(acc, 2) : acc;
  return Check(k, {7, 1}, w2to7, P11, 8);
}

int M27(const B& b, const Acc& k) {
  return k[1] == 0 ? M00(b, k) : Check(k, {9, 1}, rows1to4, Transform, P10);
}

int M28(const B&, const Acc& k) { return Check(k, {7, 1}, w2to8, P11, 8); }
int M29(const B&, const Acc& k) { return Check(k, {9, 1}, rows1to4, Transform, P10); }
int M30(const B&, const Acc& k) { return Check(k, {1, 9}, {2, 0, 0, 0, 0, 1, 2, 1, 2}, P10); }

int M31(const B&, const Acc& k) {
  return Mod11(k, {9, 1}, {9, 8, 7, 6, 5, 4, 3, 2, 1},
               [&](int r) { return r == 10 ? kInvalid : Verify(k, 10, r); });
}

int M32(const B&, const Acc& k) { return Check(k, {9, 4}, w2to7, P11); }
int M33(const B&, const Acc& k) { return Check(k, {9, 5}, w2to6, P11); }
int M34(const B&, const Acc& k) { return Check(k, {7, 1}, {2, 4, 8, 5, 10, 9, 7}, P11, 8); }

int M35(const B&, const Acc& k) {
  return Mod11(k, {9, 1}, w2to10, [&](int r) {
    if (r == 10) return k[10] == k[9] ? kOk : kInvalid;
    return Verify(k, 10, r);
  });
}

int M36(const B&, const Acc& k) { return Check(k, {9, 6}, {2, 4, 8, 5}, P11); }
int M37(const B&, const Acc& k) { return Check(k, {9, 5}, {2, 4, 8, 5, 10}, P11); }
int M38(const B&, const Acc& k) { return Check(k, {9, 4}, {2, 4, 8, 5, 10, 9}, P11); }
int M39(const B&, const Acc& k) { return Check(k, {9, 3}, {2, 4, 8, 5, 10, 9, 7}, P11); }
int M40(const B&, const Acc& k) { return Check(k, {9, 1}, {2, 4, 8, 5, 10, 9, 7, 3, 6}, P11); }

int M41(const B& b, const Acc& k) {
  return k[4] == 9 ? Check(k, {9, 4}, w21, Cross, P10) : M00(b, k);
}

int M42(const B&, const Acc& k) { return Check(k, {9, 2}, w2to9, P11); }
int M43(const B&, const Acc& k) { return Check(k, {9, 1}, {1, 2, 3, 4, 5, 6, 7, 8, 9}, P10); }
int M44(const B&, const Acc& k) { return Check(k, {9, 5}, {2, 4, 8, 5, 10}, P11); }

int M45(const B& b, const Acc& k) { return k[1] == 0 || k[5] == 1 ? kNotCheckable : M00(b, k); }

int M46(const B&, const Acc& k) { return Check(k, {7, 3}, w2to6, P11, 8); }
int M47(const B&, const Acc& k) { return Check(k, {8, 4}, w2to6, P11, 9); }
int M48(const B&, const Acc& k) { return Check(k, {8, 3}, w2to7, P11, 9); }

int M49(const B& b, const Acc& k) {
  return FirstValid([&] { return M00(b, k); }, [&] { return M01(b, k); });
}

int Core50(const Acc& k) { return Check(k, {1, 6}, {7, 6, 5, 4, 3, 2}, P11, 7); }
int M50(const B&, const Acc& k) {
  const int status = Core50(k);
  if (status == kOk || k[1] != 0 || k[2] != 0 || k[3] != 0) return status;
  return Core50(ShiftLeft(k, 3));
}

// The mod-7 variant of methods 83, 85 and 90: check digits 7, 8 and 9 do
// not occur there and give `onHigh` instead.
int Mod7Variant(const Acc& k, int onHigh) {
  if (In(k[10], {7, 8, 9})) return onHigh;
  return Check(k, {9, 5}, w2to6, P7);
}

int M51(const B&, const Acc& k) {
  if (k[3] == 9) return Exception51(k);
  const int status = Variants(
      k, {{{9, 4}, w2to7, Plain, P11}, {{9, 5}, w2to6, Plain, P11}, {{9, 4}, w21, Cross, P10}});
  return status == kOk ? kOk : Mod7Variant(k, kNotCheckable);
}

int M52(const B& b, const Acc& k) {
  if (k[1] == 9) return M20(b, k);
  if (k[1] != 0 || k[2] != 0) return kNeedEightDigits;
  return BankCodeDependent(k, {b[5], b[6], b[7], b[8], k[3], k[4]});
}

int M53(const B& b, const Acc& k) {
  if (k[1] == 9) return M20(b, k);
  if (k[1] != 0) return kNeedNineDigits;
  return BankCodeDependent(k, {b[5], b[6], k[3], b[8], k[2], k[4]});
}

int M54(const B&, const Acc& k) {
  if (k[1] != 4 || k[2] != 9) return kWrongAccountType;
  return Verify(k, 10, 11 - Sum(k, {9, 3}, {2, 3, 4, 5, 6, 7, 2}) % 11);
}

int M55(const B&, const Acc& k) { return Check(k, {9, 1}, {2, 3, 4, 5, 6, 7, 8, 7, 8}, P11); }

int M56(const B&, const Acc& k) {
  return Mod11(k, {9, 1}, w2to7, [&](int r) {
    if (r >= 2) return Verify(k, 10, 11 - r);
    return k[1] == 9 ? Verify(k, 10, 8 - r) : kInvalid;
  });
}

int M57(const B&, const Acc& k) {
  const int n = k[1] * 10 + k[2];
  if (n == 0) return kInvalid;
  if (n <= 31) {
    const int month = k[3] * 10 + k[4];
    const bool ok = (month >= 1 && month <= 12 && Value(k, 7, 9) < 500) || Value(k) == 185125434;
    return ok ? kOk : kInvalid;
  }
  if (In(n, {40, 50, 91, 99})) return kNotCheckable;
  if (In(n, {51, 55, 61, 64, 65, 66, 70, 73, 74, 75, 76, 77, 78, 79, 80, 81, 82, 88, 94, 95})) {
    const std::uint64_t head = Value(k, 1, 6);
    if (head == 777777 || head == 888888) return kNotCheckable;
    return Check(k, {1, 9}, w12, Cross, P10);
  }
  return Check(k, {1, 10, Skip(3)}, w12, Cross, P10, 3);
}

int M58(const B&, const Acc& k) { return Check(k, {9, 5}, w2to6, P11X); }

int M59(const B& b, const Acc& k) { return k[1] == 0 && k[2] == 0 ? kNotCheckable : M00(b, k); }

int M60(const B&, const Acc& k) { return Check(k, {9, 3}, w21, Cross, P10); }

// Methods 61 and 65: with the marker digit at k9 the sum takes k10 and k9 too.
int WithMarker(const Acc& k, int marker) {
  if (k[9] == marker) return Check(k, {10, 1, Skip(8)}, w21, Cross, P10, 8);
  return Check(k, {7, 1}, w21, Cross, P10, 8);
}

int M61(const B&, const Acc& k) { return WithMarker(k, 8); }
int M62(const B&, const Acc& k) { return Check(k, {7, 3}, w21, Cross, P10, 8); }

int M63(const B&, const Acc& k) {
  const int status = Core63(k);
  if (status == kOk || k[1] != 0 || k[2] != 0 || k[3] != 0) return status;
  return Core63(ShiftLeft(k, 2));
}

int M64(const B&, const Acc& k) { return Check(k, {1, 6}, {9, 10, 5, 8, 4, 2}, P11, 7); }
int M65(const B&, const Acc& k) { return WithMarker(k, 9); }

int M66(const B&, const Acc& k) {
  if (k[1] != 0) return kWrongAccountType;
  return Mod11(k, {9, 2, Skip(4, 3)}, w2to7, [&](int r) { return Verify(k, 10, (11 - r) % 10); });
}

int M67(const B&, const Acc& k) { return Check(k, {7, 1}, w21, Cross, P10, 8); }

int M68(const B&, const Acc& k) {
  if (k[1] == 0 && k[2] == 4) return kNotCheckable;
  if (k[1] != 0) return k[4] == 9 ? Check(k, {9, 4}, w21, Cross, P10) : kWrongAccountType;
  return Variants(k, {{{9, 2}, w21, Cross, P10}, {{9, 2, Skip(4, 3)}, w21, Cross, P10}});
}

int M69(const B&, const Acc& k) {
  if (k[1] == 9 && k[2] == 3) return kNotCheckable;
  const Variant v1{{7, 1}, w2to8, Plain, P11, 8};
  const Variant v2{{9, 1}, rows1to4, Transform, P10};
  if (k[1] == 9 && k[2] == 7) return Variants(k, {v2});
  return Variants(k, {v1, v2});
}

int M70(const B&, const Acc& k) {
  const bool short_span = k[4] == 5 || (k[4] == 6 && k[5] == 9);
  return Check(k, {9, static_cast<std::int8_t>(short_span ? 4 : 1)}, w2to7, P11);
}

int M71(const B&, const Acc& k) {
  const int r = Sum(k, {2, 7}, {6, 5, 4, 3, 2, 1}) % 11;
  return Verify(k, 10, r == 0 ? 0 : r == 1 ? 1 : 11 - r);
}

int M72(const B&, const Acc& k) { return Check(k, {9, 4}, w21, Cross, P10); }

int M73(const B&, const Acc& k) {
  if (k[3] == 9) return Exception51(k);
  return Variants(k,
                  {{{9, 4}, w21, Cross, P10}, {{9, 5}, w21, Cross, P10}, {{9, 5}, w21, Cross, P7}});
}

int M74(const B& b, const Acc& k) {
  const int status = M00(b, k);
  if (status == kOk || Length(k) != 6) return status;
  return Verify(k, 10, (15 - Sum(k, {9, 5}, w21, Cross) % 10) % 10);
}

int M75(const B&, const Acc& k) {
  if (k[1] == 0 && k[2] == 0 && k[3] == 0) return Check(k, {5, 9}, w21212, Cross, P10, 10);
  if (k[2] == 9) return Check(k, {3, 7}, w21212, Cross, P10, 8);
  return Check(k, {2, 6}, w21212, Cross, P10, 7);
}

int M76(const B&, const Acc& k) {
  const int status = Core76(k);
  if (status == kOk || k[1] != 0 || k[2] != 0) return status;
  return Core76(ShiftLeft(k, 2));
}

int M77(const B&, const Acc& k) {
  auto divisible = [&](const W& w) { return Sum(k, {10, 6}, w) % 11 == 0 ? kOk : kInvalid; };
  return FirstValid(
      [&] {
        return divisible({1, 2, 3, 4, 5});
      },
      [&] {
        return divisible({5, 4, 3, 4, 5});
      });
}

int M78(const B& b, const Acc& k) { return Length(k) == 8 ? kNotCheckable : M00(b, k); }

int M79(const B& b, const Acc& k) {
  if (k[1] >= 3 && k[1] <= 8) return M00(b, k);
  if (k[1] == 0) return kWrongAccountType;
  return Check(k, {8, 1}, w21, Cross, P10, 9);
}

int M80(const B&, const Acc& k) {
  if (k[3] == 9) return Exception51(k);
  return Variants(k, {{{9, 5}, w21, Cross, P10}, {{9, 5}, w21, Cross, P7}});
}

int M81(const B&, const Acc& k) {
  if (k[3] == 9) return Exception51(k);
  return Check(k, {9, 4}, w2to7, P11);
}

int M82(const B& b, const Acc& k) {
  return k[3] == 9 && k[4] == 9 ? M10(b, k) : Check(k, {9, 5}, w2to6, P11);
}

int M83(const B&, const Acc& k) {
  int status;
  if (k[3] == 9 && k[4] == 9) {
    status = Check(k, {9, 3}, w2to8, P11);
  } else {
    status = Variants(k, {{{9, 4}, w2to7, Plain, P11}, {{9, 5}, w2to6, Plain, P11}});
    if (status != kOk) status = Mod7Variant(k, kInvalid);
  }
  return status == kOk ? kOk : kNotCheckable;
}

int M84(const B&, const Acc& k) {
  if (k[3] == 9) return Exception51(k);
  return Variants(
      k, {{{9, 5}, w2to6, Plain, P11}, {{9, 5}, w2to6, Plain, P7}, {{9, 5}, w21212, Plain, P10}});
}

int M85(const B&, const Acc& k) {
  if (k[3] == 9 && k[4] == 9) return Check(k, {9, 3}, w2to8, P11X);
  const int status = Variants(k, {{{9, 4}, w2to7, Plain, P11}, {{9, 5}, w2to6, Plain, P11}});
  return status == kOk ? kOk : Mod7Variant(k, kNotCheckable);
}

int M86(const B&, const Acc& k) {
  if (k[3] == 9) return Exception51(k);
  return Variants(k, {{{9, 4}, w21, Cross, P10}, {{9, 4}, w2to7, Plain, P11}});
}

int M87(const B&, const Acc& k) {
  if (k[3] == 9) return Exception51(k);
  if (Table87(k) == kOk) return kOk;
  return Variants(k, {{{9, 5}, w2to6, Plain, P11}, {{9, 5}, w2to6, Plain, P7}});
}

int M88(const B&, const Acc& k) {
  return k[3] == 9 ? Check(k, {9, 3}, w2to8, P11) : Check(k, {9, 4}, w2to7, P11);
}

int M89(const B& b, const Acc& k) {
  switch (Length(k)) {
    case 10: return kNotCheckable;
    case 9:
    case 8: return M10(b, k);
    case 7: return Check(k, {9, 4}, w2to7, Cross, P11);
    default: return kNotCheckable;
  }
}

int M90(const B&, const Acc& k) {
  if (k[3] == 9) return Check(k, {9, 3}, w2to8, P11);
  auto v1v2 = [&] {
    return Variants(k, {{{9, 4}, w2to7, Plain, P11}, {{9, 5}, w2to6, Plain, P11}});
  };
  auto v3 = [&] { return Mod7Variant(k, kInvalid); };
  auto v4 = [&] { return Verify(k, 10, (9 - Sum(k, {9, 5}, w2to6) % 9) % 9); };
  auto v5 = [&] { return Check(k, {9, 5}, w21212, P10); };
  return FirstValid(v1v2, v3, v4, v5);
}

int M91(const B&, const Acc& k) {
  const int status = Variants(k, {{{6, 1}, w2to7, Plain, P11, 7},
                                  {{6, 1}, {7, 6, 5, 4, 3, 2}, Plain, P11, 7},
                                  {{10, 1, Skip(7)}, w2to10, Plain, P11, 7},
                                  {{6, 1}, {2, 4, 8, 5, 10, 9}, Plain, P11, 7}});
  return status == kOk ? kOk : kNotCheckable;
}

int M92(const B&, const Acc& k) { return Check(k, {9, 4}, {3, 7, 1}, P10); }

int M93(const B&, const Acc& k) {
  const bool tenDigitForm = k[1] != 0 || k[2] != 0 || k[3] != 0 || k[4] != 0;
  const Pos span = tenDigitForm ? Pos{5, 1} : Pos{9, 5};
  const int at = tenDigitForm ? 6 : 10;
  return Variants(k, {{span, w2to6, Plain, P11, at}, {span, w2to6, Plain, P7, at}});
}

int M94(const B&, const Acc& k) { return Check(k, {9, 1}, w12, Cross, P10); }

int M95(const B& b, const Acc& k) {
  const auto n = static_cast<int>(Value(k, 1, 4));
  const bool exempt = n <= 1 || (n >= 9 && n <= 25) || (n >= 396 && n <= 499) ||
                      (n >= 700 && n <= 799) || (n >= 910 && n <= 989);
  return exempt ? kNotCheckable : M06(b, k);
}

int M96(const B& b, const Acc& k) {
  int status = M19(b, k);
  if (status == kOk) return kOk;
  status = M00(b, k);
  if (status == kOk) return kOk;
  const std::uint64_t v = Value(k);
  return v >= 1300000 && v <= 99399999 ? kOk : status;
}

int M97(const B&, const Acc& k) {
  return Verify(k, 10, static_cast<int>(Value(k, 1, 9) % 11 % 10));
}

int M98(const B& b, const Acc& k) {
  return FirstValid([&] { return Check(k, {9, 3}, {3, 1, 7}, P10); }, [&] { return M32(b, k); });
}

int M99(const B& b, const Acc& k) {
  const auto n = Value(k, 1, 4);
  return n >= 396 && n <= 499 ? kNotCheckable : M06(b, k);
}

int M13(const B&, const Acc& k) {
  const int status = Core13(k);
  if (status == kOk || k[1] != 0 || k[2] != 0) return status;
  return Core13(ShiftLeft(k, 2));
}

}  // namespace

int Core13(const Acc& k) { return Check(k, {7, 2}, w21, Cross, P10, 8); }

int Core63(const Acc& k) {
  if (k[1] != 0) return kWrongAccountType;
  const int s = Sum(k, {7, 2}, w21, Cross);
  if (P10(s) != k[8]) return kInvalid;
  if (s == 0) return k[9] == 0 && k[10] == 0 ? kZero : kInvalid;
  return kOk;
}

int Core76(const Acc& k) {
  if (!In(k[1], {0, 4, 6, 7, 8, 9})) return kWrongAccountType;
  const int r = Sum(k, {7, 2}, w2to7) % 11;
  if (r == 10) return kNotCheckable;
  return Verify(k, 8, r);
}

int Exception51(const Acc& k) {
  return Variants(k, {{{9, 3}, w2to8, Plain, P11}, {{9, 1}, w2to10, Plain, P11}});
}

int BankCodeDependent(const Acc& k, const std::array<int, 6>& head) {
  const int first = FirstNonZero(k, 5);
  if (first == 0) return kZero;
  // W: the six head digits, then k[first]..k10; weights run from its right end.
  static constexpr int kWeights[12] = {2, 4, 8, 5, 10, 9, 7, 3, 6, 1, 2, 4};
  const int tail = 11 - first;
  const int length = 6 + tail;
  int s = 0;
  int g = 0;
  for (int i = 0; i < length; ++i) {  // i: position in W from the left
    const int digit = i < 6 ? head[static_cast<std::size_t>(i)] : k[first + i - 6];
    const int weight = kWeights[length - 1 - i];
    if (i == 5)
      g = weight;
    else
      s += digit * weight;
  }
  for (int i = 0; i <= 9; ++i)
    if ((s % 11 + g * i) % 11 == 10) return i == k[4] ? kOk : kInvalid;
  return kInvalid;
}

int Table87(const Acc& k) {
  int i = FirstNonZero(k, 4);
  if (i == 0) return kZero;
  static constexpr int kMap[10] = {5, 6, 2, 3, 4, 10, 1, 7, 8, 9};
  int c = i % 2, d = 0, a = 0;
  for (; i <= 9; ++i) {
    const int z = kMap[k[i]];
    if (c == d) {
      if (z > 5) {
        if (c == 0 && d == 0)
          c = 1, d = 1, a += 12 - z;
        else
          c = 0, d = 0, a += z;
      } else {
        c = c == 0 && d == 0 ? 1 : 0;
        a += z;
      }
    } else {
      if (z > 5) {
        if (c == 0)
          c = 1, d = 0, a += z - 12;
        else
          c = 0, d = 1, a -= z;
      } else {
        c = 1 - c;
        a -= z;
      }
    }
  }
  while (a < 0) a += 5;
  while (a > 4) a -= 5;
  static constexpr int kA[5] = {0, 4, 3, 2, 6};
  static constexpr int kB[5] = {7, 1, 5, 9, 8};
  const int p = d == 0 ? kA[a] : kB[a];
  if (p == k[10]) return kOk;
  if (k[4] == 0 && k[10] == (p < 5 ? p + 5 : p - 5)) return kOk;
  return kInvalid;
}

const MethodFn kMethods00To99[100] = {
    M00, M01, M02, M03, M04, M05, M06, M07, M08, M09, M10, M11, nullptr, M13, M14, M15, M16,
    M17, M18, M19, M20, M21, M22, M23, M24, M25, M26, M27, M28, M29,     M30, M31, M32, M33,
    M34, M35, M36, M37, M38, M39, M40, M41, M42, M43, M44, M45, M46,     M47, M48, M49, M50,
    M51, M52, M53, M54, M55, M56, M57, M58, M59, M60, M61, M62, M63,     M64, M65, M66, M67,
    M68, M69, M70, M71, M72, M73, M74, M75, M76, M77, M78, M79, M80,     M81, M82, M83, M84,
    M85, M86, M87, M88, M89, M90, M91, M92, M93, M94, M95, M96, M97,     M98, M99,
};

}  // namespace zel::check
