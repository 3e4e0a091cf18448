// The Bundesbank IBAN rules: before an IBAN is built, the bank's rule may
// replace bank code and account, refuse the IBAN, skip the account check or
// fix the BIC.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "BankRecord.h"
#include "ZelBaseObject.h"

namespace zel::IbanRules {

// Applies the IBAN rule of the bank. Blz and Account come back as the IBAN
// is to be built from them (Account ten digits); Result is the BIC, or an
// error text beginning with "*". Checker answers TestBlzKto.
void Convert(TZelBaseObject& Checker, std::string& Blz, std::string& Account, std::string& Result);

// One rule, for a bank code and a ten-digit account.
std::string ApplyRule(int Rule, TZelBaseObject& Checker, std::string& Blz, std::string& Account);

// The BIC at the end of the successor chain that starts at this bank code:
// "*I4" when a successor is unknown or the chain is longer than 100 links.
// Lookup finds a bank record by code.
using Lookup = std::function<bool(std::uint32_t, TBankRecord&)>;
std::string SuccessorBic(std::uint32_t Blz, const Lookup& Find);

}  // namespace zel::IbanRules
