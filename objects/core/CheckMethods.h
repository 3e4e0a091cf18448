// The check-digit methods by number and the pieces that several methods share.
#pragma once

#include <utility>

#include "CheckDigits.h"

namespace zel::check {

using MethodFn = int (*)(const BankDigits& b, const Acc& k);

// The method definitions in force for a data file's bank data: the rows of
// 2013, or the Bundesbank's current ones (E2 to E4 and ten rewritten rows).
enum class TMethodSet { Y2013, Current };

// The set the checks use. A data module selects the one its bank data names
// when it is loaded; tests select one explicitly.
void SelectMethodSet(TMethodSet set);
TMethodSet ActiveMethodSet();

// The method with this number in the active set, or nullptr if there is none.
MethodFn MethodOf(int number);

// Runs method `number` (which must exist) on the digits.
int Run(int number, const BankDigits& b, const Acc& k);

// Runs whole methods as variants: the first 0 wins, else the last status.
int FirstValidMethod(const BankDigits& b, const Acc& k, std::initializer_list<int> numbers);

// Single passes of methods 13, 63 and 76, without their shifted second run.
int Core13(const Acc& k);
int Core63(const Acc& k);
int Core76(const Acc& k);

// Exception 51, which replaces several methods when k3 is 9.
int Exception51(const Acc& k);

// The bank-code-dependent check over the working number W, whose first six
// digits are given; the sixth is the check digit.
int BankCodeDependent(const Acc& k, const std::array<int, 6>& head);

// The table-driven check of method 87 (its first variant).
int Table87(const Acc& k);

// Methods 00..99 and A0..E1 (100..141); nullptr where none is assigned.
extern const MethodFn kMethods00To99[100];
extern const MethodFn kMethodsA0ToE1[42];
// The current rows that replace or add to them.
extern const std::pair<int, MethodFn> kCurrentRows[13];

}  // namespace zel::check
