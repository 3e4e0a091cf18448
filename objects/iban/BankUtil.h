// Checks and conversions of bank identifiers shared by the file formats.
#pragma once

#include <string>
#include <string_view>

namespace zel::BankUtil {

// ISO 7064 MOD 97-10 check of an IBAN (any country, any length): 0 correct,
// 12 a character other than digit, letter or blank, 13 check digits wrong.
int TestIban(std::string_view Iban);
// The same; on 12 why says which rule of the form failed (code page 1252).
int TestIban(std::string_view Iban, std::string* why);

// Keeps 0-9 and letters (upper-cased) of Text, in their order. Flag has no
// influence.
std::string ConvertToIbanBic(std::string_view Text, bool Flag);

// Trims and upper-cases Bic in place: 16 when it has neither 8 nor 11
// characters, 12 when a character is not 0-9 or A-Z, else 0.
int TestBic(std::string& Bic);
// Trims and upper-cases Bic; a trailing "!" is removed and sets Unchecked
// (the caller skips the directory test). True when TestBic gives 0.
bool IsBicFormatOk(std::string& Bic, bool& Unchecked);
// SEPA creditor identifier: the IBAN check of characters 1-4 and 8 onward
// (the business code left out): 0, 12 or 13.
int TestCreditorId(std::string_view Id);

// Reduces a text to the SEPA character set: umlauts spelt out, accents
// dropped, anything else a blank (AllowBlank) or ".".
std::string ConvertToSepaChars(std::string_view S, bool AllowBlank);
// Reduces a text to the German banks' character set of today's SEPA files:
// the SEPA characters with the umlauts, "ß", "&", "*", "$" and "%"; other
// letters become their base letters ("Ç" "C", "Ø" "O", "Æ" "AE"), typographic
// quotes and dashes their plain forms, anything else a blank. Trimmed.
std::string ConvertToDkChars(std::string_view S);
// An amount of 1/10000 units with two decimals: "1234.50", "-0.05".
std::string SepaBetrag(long long Amount);
double ConvertSepaDateToDate(std::string_view S);
// Trims S and checks it as a mandate date "YYYY-MM-DD" (from 2005, not in
// the future); Msg is empty when it is good, else the reason.
void CheckMandatDate(std::string& S, std::string& Msg);
// ISO 20022 purpose codes and category purpose codes, any letter case.
bool CheckPurpose(std::string_view Code);
bool CheckCategoryPurpose(std::string_view Code);

// The remainder modulo 97 of a digit string, taken in chunks of 18 digits;
// a chunk that is not a number counts as 0.
int Mod97(std::string_view Digits);

}  // namespace zel::BankUtil
