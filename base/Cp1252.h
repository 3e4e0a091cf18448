// Code page 1252 (the texts of the domain package) to and from UTF-8 (the
// terminal, D-Bus, Qt).
#pragma once

#include <string>
#include <string_view>

#include "ZelExport.h"

namespace zel {

ZELBASE_API std::string Cp1252ToUtf8(std::string_view text);
// Every character of the code page lies in the basic plane: one unit each.
ZELBASE_API std::u16string Cp1252ToUtf16(std::string_view text);
// Characters that code page 1252 lacks, and malformed UTF-8, become "?".
ZELBASE_API std::string Utf8ToCp1252(std::string_view text);
// The same, but letters the code page lacks become their base letters
// ("Ł" "L", "ő" "o", "ș" "s"), combining accents are dropped and other
// characters become blanks: nothing turns into "?".
ZELBASE_API std::string Utf8ToCp1252Folded(std::string_view text);
// Whether text is well-formed UTF-8.
ZELBASE_API bool IsUtf8(std::string_view text);

}  // namespace zel
