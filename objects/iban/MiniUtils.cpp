#include "MiniUtils.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "BlzTab.h"
#include "Dates.h"

namespace zel::MiniUtils {
namespace {

using ByteTable = std::array<unsigned char, 256>;

// A byte mapping from its pairs; 0 = unchanged.
constexpr ByteTable MakeTable(
    std::initializer_list<std::pair<unsigned char, unsigned char>> pairs) {
  ByteTable t{};
  for (const auto& [from, to] : pairs) t[from] = to;
  return t;
}

// Table A: DOS byte to code page 1252 byte.
constexpr ByteTable kIbmToIso = MakeTable({{0x81, 0xFC},
                                           {0x82, 0xE9},
                                           {0x84, 0xE4},
                                           {0x85, 0xE0},
                                           {0x8A, 0xE8},
                                           {0x8E, 0xC4},
                                           {0x93, 0xF4},
                                           {0x94, 0xF6},
                                           {0x98, 0xFF},
                                           {0x99, 0xD6},
                                           {0x9A, 0xDC},
                                           {0xA0, 0xE1},
                                           {0xE1, 0xDF}});

// Table B: code page 1252 byte to DOS byte (the euro sign only on request).
constexpr ByteTable kIsoToIbm = MakeTable({{0xC4, 0x8E},
                                           {0xD6, 0x99},
                                           {0xDC, 0x9A},
                                           {0xDF, 0xE1},
                                           {0xE4, 0x84},
                                           {0xF6, 0x94},
                                           {0xFC, 0x81},
                                           {0xFF, 0x98}});

std::string Map(std::string_view s, const ByteTable& table) {
  std::string out(s);
  for (char& c : out) {
    const unsigned char m = table[static_cast<unsigned char>(c)];
    if (m) c = static_cast<char>(m);
  }
  return out;
}

std::string Pad(std::string_view s, int n, bool left) {
  const std::size_t want = n > 0 ? static_cast<std::size_t>(n) : 0;
  if (s.size() >= want) return std::string(s);
  const std::string blanks(want - s.size(), ' ');
  return left ? blanks + std::string(s) : std::string(s) + blanks;
}

}  // namespace

int Anz(char Ch, std::string_view S) {
  int n = 0;
  for (char c : S) n += c == Ch;
  return n;
}

std::string Ausgleich(std::string_view S, int N) { return Pad(S, N, false); }
std::string AusgleichR(std::string_view S, int N) { return Pad(S, N, true); }

std::string GetCentury(std::string_view YY) { return YY < "90" ? "20" : "19"; }

int GetInt(std::string_view S) {
  if (S.empty()) return 0;
  if (S.find('.') != std::string_view::npos) {
    double v = 0;
    const auto [end, ec] = std::from_chars(S.data(), S.data() + S.size(), v);
    if (ec != std::errc() || end != S.data() + S.size()) return 0;
    const double r = std::nearbyint(v);  // halves to the even neighbour
    return r >= -2147483648.0 && r <= 2147483647.0 ? static_cast<int>(r) : 0;
  }
  if (S == "-") return -1;
  std::int32_t v = 0;
  return ParseInteger(S, v) ? v : 0;
}

int GetInt(std::string_view S, int Pos, int Len) {
  if (Pos < 1 || Len < 1 || static_cast<std::size_t>(Pos) > S.size()) return 0;
  std::int32_t v = 0;
  return ParseInteger(S.substr(static_cast<std::size_t>(Pos - 1), static_cast<std::size_t>(Len)), v)
             ? v
             : 0;
}

bool IsDigitsOnly(std::string_view S) {
  for (char c : S)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string IBMtoISO(std::string_view S) { return Map(S, kIbmToIso); }

std::string ISOtoIBM(std::string_view S, bool Euro) {
  std::string out = Map(S, kIsoToIbm);
  if (Euro)
    for (char& c : out)
      if (static_cast<unsigned char>(c) == 0x80) c = static_cast<char>(0xFE);
  return out;
}

std::string ISOtoAtoZ(std::string_view S) {
  std::string out;
  for (char ch : S) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'))
      out += ch;
    else if (c >= 'a' && c <= 'z')
      out += static_cast<char>(c - 32);
    else if (c == 0xC4 || c == 0xE4)
      out += "AE";
    else if (c == 0xD6 || c == 0xF6)
      out += "OE";
    else if (c == 0xDC || c == 0xFC)
      out += "UE";
    else if (c == 0xDF)
      out += "SS";
    else if (c == 0xFF)
      out += "Y";
  }
  return out;
}

std::string ISOtoPredefinedEntities(std::string_view S) {
  std::string out;
  for (char c : S) {
    switch (c) {
      case '"': out += "&quot;"; break;
      case '&': out += "&amp;"; break;
      case '\'': out += "&apos;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string RemoveDoubleSpaces(std::string_view S) {
  std::string out;
  for (char c : S)
    if (c != ' ' || out.empty() || out.back() != ' ') out += c;
  return out;
}

std::string Trim(std::string_view S) {
  while (!S.empty() && S.front() == ' ') S.remove_prefix(1);
  while (!S.empty() && S.back() == ' ') S.remove_suffix(1);
  return std::string(S);
}

std::string UpperAZ(std::string S) {
  for (char& c : S)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return S;
}

std::string RemoveLeadingZeroes(std::string_view S) {
  while (!S.empty() && S.front() == '0') S.remove_prefix(1);
  return std::string(S);
}

double SepaDateToDate(std::string_view S) {
  const int y = GetInt(S, 1, 4), m = GetInt(S, 6, 2), d = GetInt(S, 9, 2);
  return IsValidDate(y, m, d) ? EncodeDate(y, m, d) : 0.0;
}

std::vector<std::string> Split(std::string_view S, char Separator) {
  std::vector<std::string> parts(1);
  for (const char c : S)
    if (c == Separator)
      parts.emplace_back();
    else
      parts.back() += c;
  return parts;
}

}  // namespace zel::MiniUtils
