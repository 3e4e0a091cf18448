#include "Cp1252.h"

#include <cstdint>

namespace zel {
namespace {

// Unicode code points of the bytes 0x80..0x9F; 0 where the code page has none.
constexpr char32_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

char32_t ToCodePoint(unsigned char b) {
  if (b < 0x80 || b >= 0xA0) return b;
  const char32_t c = kHigh[b - 0x80];
  return c ? c : U'?';
}

char FromCodePoint(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == c && c != 0) return static_cast<char>(0x80 + i);
  return '?';
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char b : text) AppendUtf8(out, ToCodePoint(b));
  return out;
}

std::u16string Cp1252ToUtf16(std::string_view text) {
  std::u16string out(text.size(), u'\0');
  for (std::size_t i = 0; i < text.size(); ++i)
    out[i] = static_cast<char16_t>(ToCodePoint(static_cast<unsigned char>(text[i])));
  return out;
}

namespace {

// Base letters of Latin Extended-A (U+0100 to U+017F); the code page's own
// letters of the block (OE, S and Z caron, Y diaeresis) never reach it.
constexpr char kLatinA[] =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiIiJjKkkLlLlLlLlLlNnNnNnnNnOoOoOoOoRrRrRrSsSs"
    "SsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";
static_assert(sizeof kLatinA == 0x80 + 1);

// What a character the code page lacks becomes when folding: its base
// letter, nothing for a combining accent (the letter before it stays), or
// a blank.
std::string_view Folded(char32_t c) {
  if (c >= 0x100 && c < 0x180) return {kLatinA + (c - 0x100), 1};
  if (c >= 0x300 && c < 0x370) return {};  // combining marks
  switch (c) {
    case 0x0218: return "S";
    case 0x0219: return "s";
    case 0x021A: return "T";
    case 0x021B: return "t";
    case 0x1E9E: return "\xDF";  // capital sharp s
    default: return " ";
  }
}

// The character at text[i] and its length in bytes; 0 when the bytes are
// no well-formed UTF-8 (the caller then takes one byte).
std::size_t Decode(std::string_view text, std::size_t i, char32_t& c) {
  const auto b = static_cast<unsigned char>(text[i]);
  const int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
  if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size() + (extra == 0)) return 0;
  c = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
  for (int k = 1; k <= extra; ++k) {
    const auto cont = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
    if ((cont & 0xC0) != 0x80) return 0;
    c = (c << 6) | (cont & 0x3F);
  }
  // Overlong forms ("1" as C0 B1), surrogates and values past Unicode are
  // not characters.
  constexpr char32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
  if (c < kLeast[extra] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return 0;
  return static_cast<std::size_t>(extra) + 1;
}

std::string Convert(std::string_view text, bool fold) {
  // Mostly plain ASCII (bank codes, account numbers): taken as it is.
  std::size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) ++i;
  std::string out(text.substr(0, i));
  if (i == text.size()) return out;
  out.reserve(text.size());
  while (i < text.size()) {
    char32_t c = 0;
    const std::size_t n = Decode(text, i, c);
    if (n == 0) {
      out += '?';
      ++i;
      continue;
    }
    const char mapped = FromCodePoint(c);
    if (mapped == '?' && c != U'?' && fold)
      out += Folded(c);
    else
      out += mapped;
    i += n;
  }
  return out;
}

}  // namespace

std::string Utf8ToCp1252(std::string_view text) { return Convert(text, false); }
std::string Utf8ToCp1252Folded(std::string_view text) { return Convert(text, true); }

bool IsUtf8(std::string_view text) {
  char32_t c = 0;
  for (std::size_t i = 0, n = 0; i < text.size(); i += n)
    if ((n = Decode(text, i, c)) == 0) return false;
  return true;
}

}  // namespace zel
