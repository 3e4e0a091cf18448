// The method rows the Bundesbank has defined or rewritten since 2013, used by
// data files of newer bank data: E2 to E4 (numbers 142 to 144) and the
// current rows of 45, 51, 66, 74, 87, 90, 91, B1, B4 and C2. A row that only
// adds to the 2013 row runs the 2013 row first.

#include "CheckMethods.h"

namespace zel::check {
namespace {

using B = BankDigits;

int Row2013(int number, const B& b, const Acc& k) {
  return number < 100 ? kMethods00To99[number](b, k) : kMethodsA0ToE1[number - 100](b, k);
}

// Accounts starting with 0, with 1 at k5 or with 48 carry no check digit.
int M45(const B& b, const Acc& k) {
  if (k[1] == 0 || k[5] == 1 || (k[1] == 4 && k[2] == 8)) return kNotCheckable;
  return Run(0, b, k);
}

// Methods A to C as in 2013; an account that reaches D with 7, 8 or 9 as
// its check digit is wrong (it was not checkable).
int M51(const B&, const Acc& k) {
  if (k[3] == 9) return Exception51(k);
  const int status = Variants(
      k, {{{9, 4}, w2to7, Plain, P11}, {{9, 5}, w2to6, Plain, P11}, {{9, 4}, w21, Cross, P10}});
  if (status == kOk) return kOk;
  return In(k[10], {7, 8, 9}) ? kInvalid : Check(k, {9, 5}, w2to6, P7);
}

// With 9 at k2 the account has no check digit (method 09).
int M66(const B& b, const Acc& k) { return k[2] == 9 ? kNoCheckDigits : Row2013(66, b, k); }

// When the 2013 row fails: method 04.
int M74(const B& b, const Acc& k) {
  return FirstValid([&] { return Row2013(74, b, k); }, [&] { return Run(4, b, k); });
}

// When methods A to C fail: method D, w2..7 on k9..k4, P11.
int M87(const B& b, const Acc& k) {
  if (k[3] == 9) return Exception51(k);
  return FirstValid([&] { return Row2013(87, b, k); },
                    [&] {
                      return Check(k, {9, 4}, w2to7, P11);
                    });
}

// Customer accounts: when methods A to E fail, method G, w2,1,2,1,2,1 on
// k9..k4 (plain), P7.
int M90(const B& b, const Acc& k) {
  if (k[3] == 9) return Row2013(90, b, k);
  return FirstValid([&] { return Row2013(90, b, k); },
                    [&] {
                      return Check(k, {9, 4}, w21, Plain, P7);
                    });
}

int M91(const B& b, const Acc& k) { return Row2013(91, b, k); }

int B1(const B& b, const Acc& k) { return FirstValidMethod(b, k, {5, 1, 0}); }
int B4(const B& b, const Acc& k) { return Run(k[1] == 9 ? 0 : 2, b, k); }
int C2(const B& b, const Acc& k) { return FirstValidMethod(b, k, {22, 0, 4}); }

// k1 of 6 to 9 is wrong; else method 00 over 438320, k1 and k2..k9: the
// constant's digits add 25 and the doubled k1 its cross sum.
int E2(const B&, const Acc& k) {
  if (k[1] >= 6) return kInvalid;
  return CheckWithStart(k, 25 + CrossSum(2 * k[1]), {9, 2}, w21, Cross, P10);
}

int E3(const B& b, const Acc& k) { return FirstValidMethod(b, k, {0, 21}); }
int E4(const B& b, const Acc& k) { return FirstValidMethod(b, k, {2, 0}); }

}  // namespace

const std::pair<int, MethodFn> kCurrentRows[13] = {
    {45, M45}, {51, M51}, {66, M66}, {74, M74}, {87, M87}, {90, M90}, {91, M91},
    {111, B1}, {114, B4}, {122, C2}, {142, E2}, {143, E3}, {144, E4},
};

}  // namespace zel::check
