#include "ZelProbeObject.h"

#include "BlzTab.h"
#include "CheckMethods.h"

namespace zel {

using namespace check;

int TestByRule(std::string_view Blz, std::string_view Account, int Rule) {
  const BankDigits b = MakeBankDigits(Blz);
  Acc k;
  if (const int status = MakeAccount(Account, k); status != kOk) return status;
  if (Rule == 9) return kNoCheckDigits;
  const MethodFn method = MethodOf(Rule);
  return method ? method(b, k) : kUnknownMethod;
}

namespace {

// The bank's method number, or -1 for an unknown bank code.
int RuleOfBank(std::string_view Blz) {
  const int index = GetBankIndexByString(Blz);
  return index < 1 ? -1 : RuleAt(index);
}

using CoreFn = int (*)(const Acc&);

CoreFn SinglePassCore(int rule) {
  switch (rule) {
    case 13: return Core13;
    case 63: return Core63;
    case 76: return Core76;
    default: return nullptr;
  }
}

}  // namespace

std::string CorrectSub(std::string_view Blz, std::string_view Account) {
  const CoreFn core = SinglePassCore(RuleOfBank(Blz));
  if (!core || Account.size() < 2 || Account[0] != '0' || Account[1] != '0')
    return std::string(Account);
  const std::string shifted = std::string(Account.substr(2, 8)) + "00";
  Acc a, s;
  if (MakeAccount(Account, a) != kOk) return "*24 I5";
  if (MakeAccount(shifted, s) != kOk) return "*24 I6";
  const bool accountValid = core(a) == kOk;
  const bool shiftedValid = core(s) == kOk;
  if (shiftedValid) return shifted;
  if (accountValid) return std::string(Account);
  return "*" + std::to_string(kInvalid);
}

}  // namespace zel
