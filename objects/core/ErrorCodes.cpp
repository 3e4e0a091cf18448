#include "ErrorCodes.h"

#include <string_view>

namespace zel {
namespace {

using namespace ErrorCodes;

struct Message {
  int code;
  std::string_view text;
};

// Texts in code page 1252: \xe4 = ä, \xf6 = ö, \xfc = ü.
constexpr Message kMessages[] = {
    {kDataFileMissing, "Datendatei ist nicht geladen und konnte auch nicht geladen werden"},
    {kServerNoData,
     "Server lieferte keine auswertbaren Daten zur\xfc"
     "ck"},
    {kServerUnreachable, "Verbindung zum Server konnte nicht hergestellt werden"},
    {kBankGoneSuccessor, "Bank existiert nicht mehr; Nachfolge-BLZ bekannt"},
    {kBankGone, "Bank existiert nicht mehr; keine Nachfolge-BLZ bekannt"},
    {kBankUnknown, "Bank existiert nicht"},
    {kOk, "Ok"},
    {kUnknownMethod,
     "Unbekanntes Pr\xfc"
     "fzifferverfahren"},
    {kNotImplemented,
     "Pr\xfc"
     "fzifferverfahren nicht implementiert"},
    {kNoCheckDigits,
     "Diese Bank verwendet keine Pr\xfc"
     "fziffern"},
    {kNotCheckable,
     "Pr\xfc"
     "fung bei dieser speziellen Kontonummer nicht m\xf6"
     "glich"},
    {kTooLong, "Kontonummer ist zu lang (maximal zehn Stellen)"},
    {kNotDigits, "Kontonummer darf nur Ziffern enthalten"},
    {kInvalid,
     "Kontonummer ist ung\xfc"
     "ltig (falsche Pr\xfc"
     "fziffer)"},
    {kZero, "Kontonummer darf nicht null sein"},
    {kWrongAccountType, "Falsche Kontoartenziffer"},
    {kNeedEightDigits, "Kontonummer muss genau acht Stellen lang sein"},
    {kNeedNineDigits, "Kontonummer muss genau neun Stellen lang sein"},
    {kNeedSevenDigits, "Kontonummer muss genau sieben Stellen lang sein"},
    {kNeedEightOrTenDigits, "Kontonummer muss entweder acht oder zehn Stellen lang sein"},
    {kNeedTenDigits, "Kontonummer muss genau zehn Stellen lang sein"},
    {kNeedSevenOrEightDigits, "Kontonummer muss entweder sieben oder acht Stellen lang sein"},
    {kIbanCheckDigits,
     "IBAN-Pr\xfc"
     "fzifferfehler"},
    {kBlacklist, "Blacklist"},
    {kIbanImpossible,
     "IBAN-Ermittlung nicht m\xf6"
     "glich"},
};

constexpr std::string_view kUnknownPrefix = "Unbekannter Fehlercode Nr. ";
constexpr std::string_view kNoteNoSuccessor =
    "; BLZ wird demn\xe4"
    "chst ung\xfc"
    "ltig; keine Nachfolge-BLZ bekannt";
constexpr std::string_view kNoteSuccessor =
    "; BLZ wird demn\xe4"
    "chst ung\xfc"
    "ltig; Nachfolge-BLZ bekannt";

}  // namespace

std::string GetErrorMessage(int Code) {
  int base = Code;
  std::string_view note;
  if (Code >= 200) {
    base = Code - 200;
    note = kNoteSuccessor;
  } else if (Code >= 100) {
    base = Code - 100;
    note = kNoteNoSuccessor;
  }
  std::string text;
  for (const Message& m : kMessages)
    if (m.code == base) text = m.text;
  if (text.empty()) text = std::string(kUnknownPrefix) + std::to_string(base);
  text += note;
  return text;
}

}  // namespace zel
