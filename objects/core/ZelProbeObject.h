// The account check: the common entry of all check-digit methods and the
// sub-account correction used when building an IBAN.
#pragma once

#include <string>
#include <string_view>

namespace zel {

// Checks Account against method Rule (0..141) for bank code Blz: 0..10
// accepted, above 10 rejected (status codes of ErrorCodes.h).
int TestByRule(std::string_view Blz, std::string_view Account, int Rule);

// The account text to use for the IBAN of a bank with method 13, 63 or 76:
// Account itself, Account without its missing two-digit sub-account, or an
// error text starting with "*". Account is expected with ten digits.
std::string CorrectSub(std::string_view Blz, std::string_view Account);

}  // namespace zel
