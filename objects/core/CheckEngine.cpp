// Dispatch from method numbers to methods.

#include "CheckMethods.h"

namespace zel::check {

MethodFn MethodOf(int number) {
  if (number < 0 || number > 141) return nullptr;
  if (number < 100) return kMethods00To99[number];
  return kMethodsA0ToE1[number - 100];
}

int Run(int number, const BankDigits& b, const Acc& k) { return MethodOf(number)(b, k); }

int FirstValidMethod(const BankDigits& b, const Acc& k, std::initializer_list<int> numbers) {
  int status = kUnknownMethod;
  for (int number : numbers)
    if ((status = Run(number, b, k)) == kOk) break;
  return status;
}

}  // namespace zel::check
