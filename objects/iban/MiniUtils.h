// Small text helpers: padding, counting, number parsing, the DOS code page
// of DTAUS and statement files, A-Z transliteration, XML escaping, SEPA dates.
// Texts are code page 1252.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zel::MiniUtils {

int Anz(char Ch, std::string_view S);
// S padded with blanks on the right (Ausgleich) or left (AusgleichR) to N;
// never cut.
std::string Ausgleich(std::string_view S, int N);
std::string AusgleichR(std::string_view S, int N);
// "20" for a two-digit year below "90", else "19".
std::string GetCentury(std::string_view YY);
// "" -> 0; with ".": a decimal rounded half to even; "-" -> -1; else an
// integer; 0 when not a number.
int GetInt(std::string_view S);
// The integer in Len characters from Pos (1-based), 0 when not a number.
int GetInt(std::string_view S, int Pos, int Len);
bool IsDigitsOnly(std::string_view S);
// DOS code page 437/850 to 1252 and back (umlauts, ß and a few accents).
std::string IBMtoISO(std::string_view S);
std::string ISOtoIBM(std::string_view S, bool Euro);
// Digits and A-Z only: lower case raised, umlauts spelt out, the rest dropped.
std::string ISOtoAtoZ(std::string_view S);
std::string ISOtoPredefinedEntities(std::string_view S);
std::string RemoveDoubleSpaces(std::string_view S);
// The parts of S between the separators ("a+b+" gives "a", "b", "").
std::vector<std::string> Split(std::string_view S, char Separator);
// S without blanks at either end.
std::string Trim(std::string_view S);
// S with a-z raised to A-Z (other bytes unchanged).
std::string UpperAZ(std::string S);
std::string RemoveLeadingZeroes(std::string_view S);
// "YYYY-MM-DD" to a day number; 0 (1899-12-30) when it is no valid date.
double SepaDateToDate(std::string_view S);

}  // namespace zel::MiniUtils
