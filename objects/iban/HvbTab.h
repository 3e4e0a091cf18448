// The account-prefix table of IBAN rule 31: three-digit account prefix (and
// the bank code it was kept under) to the bank code for the IBAN.
#pragma once

#include <string>
#include <string_view>

namespace zel {

// The bank code for this prefix (first entry), or empty text.
std::string GetHvbBlz0(std::string_view Prefix);
// The bank code for prefix + "x" + bank code, or empty text.
std::string GetHvbBlz1(std::string_view Prefix, std::string_view Blz);

}  // namespace zel
