#include "BankUtil.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "Cp1252.h"
#include "Dates.h"
#include "ErrorCodes.h"
#include "IbanTables.h"
#include "KeyTable.h"
#include "MiniUtils.h"

namespace zel::BankUtil {
namespace {

constexpr std::size_t kChunk = 18;
constexpr std::size_t kCarried = 255;  // characters carried behind a chunk

// The value of a digit text, or 0 when it holds anything else.
std::uint64_t ChunkValue(std::string_view s) {
  std::uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return v;
}

}  // namespace

int Mod97(std::string_view Digits) {
  // Working text: remainder digits, then the rest; never above 2 + 255 bytes.
  char buf[kChunk + kCarried + 8];
  std::size_t len = 0;
  std::string_view rest = Digits;
  auto take = [&](std::size_t n) {
    n = std::min(n, rest.size());
    std::memcpy(buf + len, rest.data(), n);
    len += n;
    rest.remove_prefix(n);
  };
  take(kChunk + kCarried);
  while (len > kChunk) {
    const std::uint64_t r = ChunkValue(std::string_view(buf, kChunk)) % 97;
    char head[4];
    std::size_t headLen = 0;
    if (r >= 10) head[headLen++] = static_cast<char>('0' + r / 10);
    head[headLen++] = static_cast<char>('0' + r % 10);
    // The new text: the remainder, then at most 255 characters behind the chunk.
    const std::size_t behind = std::min(len - kChunk, kCarried);
    std::memmove(buf + headLen, buf + kChunk, behind);
    std::memcpy(buf, head, headLen);
    len = headLen + behind;
  }
  return static_cast<int>(ChunkValue(std::string_view(buf, len)) % 97);
}

namespace {

// MOD 97-10 of an identifier: characters 5 onward (at most 254), then
// characters 1 to 4, letters as 10..35, blanks skipped.
int Mod97Check(std::string_view Iban) {
  const std::string_view head = Iban.substr(0, std::min<std::size_t>(4, Iban.size()));
  const std::string_view tail = Iban.size() > 4 ? Iban.substr(4, 254) : std::string_view();
  char digits[2 * 258 + 8];
  std::size_t n = 0;
  for (std::string_view part : {tail, head}) {
    for (char c : part) {
      if (c == ' ') continue;
      int value;
      if (c >= '0' && c <= '9') {
        digits[n++] = c;
        continue;
      }
      if (c >= 'A' && c <= 'Z')
        value = c - 'A' + 10;
      else if (c >= 'a' && c <= 'z')
        value = c - 'a' + 10;
      else
        return ErrorCodes::kNotDigits;
      digits[n++] = static_cast<char>('0' + value / 10);
      digits[n++] = static_cast<char>('0' + value % 10);
    }
  }
  return Mod97(std::string_view(digits, n)) == 1 ? ErrorCodes::kOk : ErrorCodes::kInvalid;
}

// One country of the IBAN registry: its IBAN length and BBAN format
// ("4!a6!n8!n": counts of n digits, a upper-case letters, c letters or digits).
struct TIbanCountry {
  char code[2];
  std::size_t length;
  std::string_view format;
};

// The registry text has lines "CC<TAB>name<TAB>format<TAB>length" joined by ",",
// after a header line.
struct TIbanRegistry {
  std::array<TIbanCountry, 128> countries{};
  std::size_t count = 0;

  TIbanRegistry() {
    std::string_view rest = tables::kIbanRegistry;
    rest.remove_prefix(std::min(rest.size(), rest.find("iban_length") + 12));  // the header
    while (rest.size() >= 2 && count < countries.size()) {
      TIbanCountry& c = countries[count];
      c.code[0] = rest[0];
      c.code[1] = rest[1];
      const std::size_t nameEnd = rest.find('\t', 3), formatEnd = rest.find('\t', nameEnd + 1);
      if (nameEnd == std::string_view::npos || formatEnd == std::string_view::npos) break;
      c.format = rest.substr(nameEnd + 1, formatEnd - nameEnd - 1);
      rest.remove_prefix(formatEnd + 1);
      c.length = 0;
      while (!rest.empty() && rest[0] >= '0' && rest[0] <= '9') {
        c.length = c.length * 10 + static_cast<std::size_t>(rest[0] - '0');
        rest.remove_prefix(1);
      }
      if (!rest.empty()) rest.remove_prefix(1);  // the ","
      ++count;
    }
  }

  const TIbanCountry* Find(std::string_view code) const {
    for (std::size_t i = 0; i < count; ++i)
      if (countries[i].code[0] == code[0] && countries[i].code[1] == code[1]) return &countries[i];
    return nullptr;
  }
};

const TIbanRegistry& Registry() {
  static const TIbanRegistry registry;
  return registry;
}

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether the BBAN (upper case) has the registry format.
bool FitsFormat(std::string_view bban, std::string_view format) {
  std::size_t pos = 0;
  while (!format.empty()) {
    std::size_t count = 0;
    while (!format.empty() && IsDigit(format[0])) {
      count = count * 10 + static_cast<std::size_t>(format[0] - '0');
      format.remove_prefix(1);
    }
    if (format.size() < 2 || format[0] != '!' || pos + count > bban.size()) return false;
    const char kind = format[1];
    format.remove_prefix(2);
    for (std::size_t i = 0; i < count; ++i, ++pos) {
      const char c = bban[pos];
      const bool ok = kind == 'n'   ? IsDigit(c)
                      : kind == 'a' ? IsUpper(c)
                                    : IsDigit(c) || IsUpper(c);
      if (!ok) return false;
    }
  }
  return pos == bban.size();
}

// The identifier without blanks, upper-cased, into `out`; false when it is
// longer than the buffer or holds anything but letters and digits.
template <std::size_t N>
bool Compact(std::string_view text, std::array<char, N>& out, std::size_t& n) {
  n = 0;
  for (char c : text) {
    if (c == ' ') continue;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (!IsDigit(c) && !IsUpper(c)) return false;
    if (n == N) return false;
    out[n++] = c;
  }
  return true;
}

// Country letters and check digits 02 to 98: the head of an IBAN and of a
// creditor identifier.
bool HeadIsWellFormed(std::string_view id) {
  return id.size() >= 4 && IsUpper(id[0]) && IsUpper(id[1]) && IsDigit(id[2]) && IsDigit(id[3]) &&
         id.substr(2, 2) >= "02" && id.substr(2, 2) <= "98";
}

}  // namespace

int TestIban(std::string_view Iban) { return TestIban(Iban, nullptr); }

int TestIban(std::string_view Iban, std::string* why) {
  const auto refuse = [&](int code, std::string text) {
    if (why) *why = std::move(text);
    return code;
  };
  std::array<char, 34> buf;  // the longest IBAN has 34 characters
  std::size_t n = 0;
  if (!Compact(Iban, buf, n))
    return refuse(ErrorCodes::kNotDigits,
                  "Die IBAN hat mehr als 34 Stellen oder ein Zeichen, das weder Buchstabe noch "
                  "Ziffer ist");
  const std::string_view iban(buf.data(), n);
  if (!HeadIsWellFormed(iban))
    return n == 0 ? ErrorCodes::kInvalid
                  : refuse(ErrorCodes::kNotDigits,
                           Utf8ToCp1252("Eine IBAN beginnt mit dem Land (zwei Buchstaben) und "
                                        "den Prüfziffern 02 bis 98"));
  const std::string code(iban.substr(0, 2));
  const TIbanCountry* country = Registry().Find(code);
  if (!country) return refuse(ErrorCodes::kNotDigits, code + " ist kein Land des IBAN-Registers");
  if (country->length != n)
    return refuse(ErrorCodes::kNotDigits, "Eine IBAN aus " + code + " hat " +
                                              std::to_string(country->length) + " Stellen, nicht " +
                                              std::to_string(n));
  if (!FitsFormat(iban.substr(4), country->format))
    return refuse(ErrorCodes::kNotDigits,
                  "Die Kontoangabe hat nicht die Form einer IBAN aus " + code);
  return Mod97Check(iban);
}

std::string ConvertToIbanBic(std::string_view Text, bool) {
  std::string out;
  out.reserve(Text.size());
  for (char c : Text) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'))
      out += c;
    else if (c >= 'a' && c <= 'z')
      out += static_cast<char>(c - 32);
  }
  return out;
}

namespace {

using MiniUtils::Trim;
using MiniUtils::UpperAZ;

// Transliterations of the letters with diacritics, by code page 1252 byte.
const char* Transliteration(unsigned char c) {
  switch (c) {
    case 0xC0:
    case 0xC1:
    case 0xC2: return "A";
    case 0xC4: return "Ae";
    case 0xC8:
    case 0xC9:
    case 0xCA: return "E";
    case 0xCC:
    case 0xCD:
    case 0xCE: return "I";
    case 0xD2:
    case 0xD3:
    case 0xD4: return "O";
    case 0xD6: return "Oe";
    case 0xD9:
    case 0xDA:
    case 0xDB: return "U";
    case 0xDC: return "Ue";
    case 0xDF: return "ss";
    case 0xE0:
    case 0xE1:
    case 0xE2: return "a";
    case 0xE4: return "ae";
    case 0xE8:
    case 0xE9:
    case 0xEA: return "e";
    case 0xEC:
    case 0xED:
    case 0xEE: return "i";
    case 0xF2:
    case 0xF3:
    case 0xF4: return "o";
    case 0xF6: return "oe";
    case 0xF9:
    case 0xFA:
    case 0xFB: return "u";
    case 0xFC: return "ue";
    case 0xFF: return "y";
    default: return nullptr;
  }
}

// What code page 1252 bytes 0x80 to 0xFF become in today's files: "" where
// the byte stays as it is, nullptr where nothing fits (a blank).
constexpr const char* kDkForms[128] = {
    // 0x80: euro sign, -, low quote, f, low double quote, ..., dagger, ..., ^, per mille, S caron,
    // <, OE, -, Z caron, -
    "EUR", nullptr, "'", "f", "'", "...", nullptr, nullptr, nullptr, nullptr, "S", nullptr, "OE",
    nullptr, "Z", nullptr,
    // 0x90: quotes, bullet, dashes, tilde, TM, s caron, >, oe, -, z caron, Y diaeresis
    nullptr, "'", "'", "'", "'", nullptr, "-", "-", nullptr, nullptr, "s", nullptr, "oe", nullptr,
    "z", "Y",
    // 0xA0: no-break space, signs
    " ", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, "-", nullptr, nullptr,
    // 0xB0: signs, acute accent
    nullptr, nullptr, nullptr, nullptr, "'", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr,
    // 0xC0: capital letters
    "A", "A", "A", "A", "", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I", "D", "N", "O",
    "O", "O", "O", "", nullptr, "O", "U", "U", "U", "", "Y", "TH", "",
    // 0xE0: small letters
    "a", "a", "a", "a", "", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i", "d", "n", "o",
    "o", "o", "o", "", nullptr, "o", "u", "u", "u", "", "y", "th", "y"};

bool IsSepaChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         std::string_view("'()+,-./:?").find(c) != std::string_view::npos;
}

// List C: the category purpose codes; list P: the purpose codes.
constexpr std::string_view kCategoryPurposes =
    "BONU,CASH,CBLK,CCRD,CORT,DCRD,DIVI,EPAY,FCOL,GOVT,HEDG,ICCP,IDCP,INTC,INTE,LOAN,OTHR,PENS,"
    "SALA,SECU,SSBE,SUPP,TAXS,TRAD,TREA,VATX,WHLD";
constexpr std::string_view kPurposes =
    "CBLK,CDCB,CDCD,CDCS,CDDP,CDOC,CDQC,ETUP,FCOL,MTUP,ACCT,CASH,COLL,CSDB,DEPT,INTC,LIMA,NETT,"
    "AGRT,AREN,BEXP,BOCE,COMC,CPYR,GDDS,GDSV,GSCB,LICF,POPE,ROYA,SCVE,SUBS,SUPP,TRAD,CHAR,COMT,"
    "CLPR,DBTC,GOVI,HLRP,INPC,INSU,INTE,LBRI,LIFI,LOAN,LOAR,PENO,PPTI,RINP,TRFD,ADMG,ADVA,BLDM,"
    "CBFF,CCRD,CDBL,CFEE,COST,CPKC,DCRD,EDUC,FAND,FCPM,GOVT,ICCP,IDCP,IHRP,INSM,IVPT,MSVC,NOWS,"
    "OFEE,OTHR,PADD,PTSP,RCKE,RCPT,REBT,REFU,RENT,STDY,TBIL,TCSC,TELI,WEBI,ANNI,CAFI,CFDI,CMDT,"
    "DERI,DIVD,FREX,HEDG,INVS,PRME,SAVG,SECU,SEPI,TREA,ANTS,CVCF,DMEQ,DNTS,HLTC,HLTI,HSPC,ICRF,"
    "LTCF,MDCS,VIEW,ALLW,ALMY,BBSC,BECH,BENE,BONU,COMM,CSLP,GVEA,GVEB,GVEC,GVED,PAYR,PENS,PRCP,"
    "SALA,SSBE,AEMP,GFRP,GWLT,RHBS,ESTX,FWLV,GSTX,HSTX,INTX,NITX,PTXP,RDTX,TAXS,VATX,WHLD,TAXR,"
    "AIRB,BUSB,FERB,RLWY,TRPT,CBTV,ELEC,ENRG,GASB,NWCH,NWCM,OTLC,PHON,UBIL,WTER";

bool InList(const TKeyTable& list, std::string_view code) {
  return list.Contains(UpperAZ(std::string(code)));
}

}  // namespace

int TestBic(std::string& Bic) {
  Bic = UpperAZ(Trim(Bic));
  if (Bic.size() != 8 && Bic.size() != 11) return ErrorCodes::kNeedEightDigits;
  for (char c : Bic)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'))) return ErrorCodes::kNotDigits;
  return ErrorCodes::kOk;
}

bool IsBicFormatOk(std::string& Bic, bool& Unchecked) {
  Bic = UpperAZ(Trim(Bic));
  Unchecked = false;
  if (Bic.empty()) return false;
  if (Bic.back() == '!') {
    Bic.pop_back();
    Unchecked = true;
  }
  return TestBic(Bic) == ErrorCodes::kOk;
}

// A creditor identifier: country, check digits 02 to 98, a business code of
// three letters or digits and a national part of letters and digits, 35
// characters at most (German ones: eleven digits, 18 in all); the check
// digits cover the text without the business code.
int TestCreditorId(std::string_view Id) {
  std::array<char, 35> buf;
  std::size_t n = 0;
  if (!Compact(Id, buf, n)) return ErrorCodes::kNotDigits;
  const std::string_view id(buf.data(), n);
  if (n == 0) return ErrorCodes::kInvalid;
  if (!HeadIsWellFormed(id) || n < 8) return ErrorCodes::kNotDigits;
  if (id.substr(0, 2) == "DE" && (n != 18 || !FitsFormat(id.substr(7), "11!n")))
    return ErrorCodes::kNotDigits;
  char text[40];
  std::memcpy(text, id.data(), 4);
  std::memcpy(text + 4, id.data() + 7, n - 7);
  return Mod97Check(std::string_view(text, n - 3));
}

std::string ConvertToSepaChars(std::string_view S, bool AllowBlank) {
  std::string out;
  out.reserve(S.size());
  for (char c : S) {
    if (IsSepaChar(c) || (AllowBlank && c == ' '))
      out += c;
    else if (const char* t = Transliteration(static_cast<unsigned char>(c)))
      out += t;
    else
      out += AllowBlank ? ' ' : '.';
  }
  return out;
}

std::string ConvertToDkChars(std::string_view S) {
  std::string out;
  out.reserve(S.size());
  for (const char c : S) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      const bool keep =
          IsSepaChar(c) || std::string_view(" &*$%").find(c) != std::string_view::npos;
      out += keep ? c : ' ';
    } else if (const char* form = kDkForms[b - 0x80]) {
      if (*form == 0)
        out += c;
      else
        out += form;
    } else {
      out += ' ';
    }
  }
  return Trim(out);
}

std::string SepaBetrag(long long Amount) {
  // Whole cents, the fourth decimal rounded half away from zero (no overflow
  // at the ends of the range).
  long long cents = Amount / 100;
  const long long rest = Amount % 100;
  if (rest >= 50) ++cents;
  if (rest <= -50) --cents;
  const unsigned long long a = cents < 0 ? 0ULL - static_cast<unsigned long long>(cents)
                                         : static_cast<unsigned long long>(cents);
  return std::string(cents < 0 ? "-" : "") + std::to_string(a / 100) + "." +
         (a % 100 < 10 ? "0" : "") + std::to_string(a % 100);
}

double ConvertSepaDateToDate(std::string_view S) { return MiniUtils::SepaDateToDate(S); }

void CheckMandatDate(std::string& S, std::string& Msg) {
  S = Trim(S);
  Msg.clear();
  const auto number = [&](std::size_t pos, std::size_t len) {
    return MiniUtils::IsDigitsOnly(S.substr(pos, len));
  };
  if (S.size() != 10 || !number(0, 4) || !number(5, 2) || !number(8, 2) || S[4] != '-' ||
      S[7] != '-') {
    Msg = "Mandatsdatum muss das Format JJJJ-MM-TT haben";
    return;
  }
  const int y = std::atoi(S.substr(0, 4).c_str());
  const int m = std::atoi(S.substr(5, 2).c_str());
  const int d = std::atoi(S.substr(8, 2).c_str());
  if (!IsValidDate(y, m, d)) {
    Msg = "Mandatsdatum " + S + " ist kein g\xfcltiges Datum";
  } else if (y < 2005) {
    Msg = "Das Mandatsdatum kann nicht vor dem Jahr 2005 liegen";
  } else if (EncodeDate(y, m, d) > std::floor(Clock::Now())) {
    Msg = "Das Mandatsdatum darf nicht in der Zukunft liegen";
  }
}

bool CheckPurpose(std::string_view Code) {
  static const TKeyTable list(kPurposes);
  return InList(list, Code);
}

bool CheckCategoryPurpose(std::string_view Code) {
  static const TKeyTable list(kCategoryPurposes);
  return InList(list, Code);
}

}  // namespace zel::BankUtil
