// Checks and conversions of bank identifiers shared by the file formats.
#pragma once

#include <string>
#include <string_view>

namespace zel::BankUtil {

// ISO 7064 MOD 97-10 check of an IBAN (any country, any length): 0 correct,
// 12 a character other than digit, letter or blank, 13 check digits wrong.
int TestIban(std::string_view Iban);

// Keeps 0-9 and letters (upper-cased) of Text, in their order. Flag has no
// influence.
std::string ConvertToIbanBic(std::string_view Text, bool Flag);

// The remainder modulo 97 of a digit string, taken in chunks of 18 digits;
// a chunk that is not a number counts as 0.
int Mod97(std::string_view Digits);

}  // namespace zel::BankUtil
