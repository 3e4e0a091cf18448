// zel sepa credit|debit: SEPA credit-transfer and direct-debit files from CSVs of payments.

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "BatchInput.h"
#include "CliCommon.h"
#include "Commands.h"
#include "CsvRows.h"
#include "PaymentFile.h"

namespace zelcli {
namespace {

using zel::Cp1252ToUtf8;
using zel::TProxyZelSepaObject;
using zel::Utf8ToCp1252;

using zel::Utf8ToCp1252Folded;

// The columns of the CSVs, in the order the row writers take them.
const std::vector<std::string> kCreditColumns = {"amount",   "name",      "iban", "bic",
                                                 "purpose",  "reference", "text", "street",
                                                 "building", "postcode",  "town", "country"};
const std::vector<std::string> kDebitColumns = {"customer", "sequence", "amount",       "name",
                                                "iban",     "bic",      "purpose",      "reference",
                                                "text",     "mandate",  "mandate_date", "street",
                                                "building", "postcode", "town",         "country"};
constexpr std::size_t kAddressFields = 5;  // the last five columns

std::string ObjectError(TProxyZelSepaObject& p) { return Cp1252ToUtf8(p.GetLastError()); }

// The address fields of a row (or of the options) as the object takes them:
// empty when none is given.
std::string AddressText(const std::vector<std::string>& five) {
  std::string text;
  bool any = false;
  for (std::size_t i = 0; i < five.size(); ++i) {
    text += (i ? "\t" : "") + Utf8ToCp1252Folded(five[i]);
    any = any || !five[i].empty();
  }
  return any ? text : std::string();
}

// The address of the next payment; false with the reason.
bool RowAddress(TProxyZelSepaObject& p, const std::vector<std::string>& f, std::string& reason) {
  const std::string text = AddressText(std::vector<std::string>(f.end() - kAddressFields, f.end()));
  if (text.empty() || p.SepaCommand("ADDRESS", 1, 0, 0, text, "", "") == 0) return true;
  reason = ObjectError(p);
  return false;
}

// The ISO date a year later (29 February: 1 March).
std::string YearLater(const std::string& iso) {
  if (iso.size() != 10) return iso;
  const std::string year = std::to_string(std::atoi(iso.substr(0, 4).c_str()) + 1);
  return year + (iso.substr(4) == "-02-29" ? "-03-01" : iso.substr(4));
}

// The requested execution date against the earliest possible one: moved
// there with a notice, or refused with --strict-date; more than a year
// ahead is refused.
bool ExecutionDate(Context& c, TProxyZelSepaObject& p, bool debit, std::string& error) {
  const std::string wanted = c.args.Get("--execution-date");
  const std::string earliest = debit ? p.GetShortDueDate() : p.GetActualDueDate();
  if (p.SepaCommand("CALCDUEDATE", 0, 2, 0, wanted, "", "") != 0) {
    error = "Ausführungsdatum " + wanted + ": " + ObjectError(p);
    return false;
  }
  const std::string date = p.GetActualDueDate();  // the bank day on or after it
  if (date > YearLater(earliest)) {
    error = "Ausführungsdatum " + wanted + " liegt mehr als ein Jahr in der Zukunft.";
    return false;
  }
  if (date >= earliest) return true;
  if (c.args.Has("--strict-date")) {
    error = "Ausführungsdatum " + wanted + " liegt vor dem frühesten möglichen Termin " + earliest +
            ".";
    return false;
  }
  c.err << "Hinweis: Ausführungsdatum " << wanted << " liegt vor dem frühesten möglichen Termin; "
        << "es gilt " << earliest
        << (debit ? " (Erstlastschriften: " + p.GetLongDueDate() + ")" : "") << ".\n";
  return true;
}

// Version, payment kind, own address and execution date; false with the message.
bool Configure(Context& c, TProxyZelSepaObject& p, bool debit, std::string& error) {
  const Args& a = c.args;
  if (a.Has("--sepa-version")) {
    int v = 0;
    if (!ToInt(a.Get("--sepa-version"), v) || (v != 25 && v != 26 && v != 27 && v != 39) ||
        p.SetSepaVersion(v) != v) {
      error = "Die SEPA-Version muss 39 (heute), 25, 26 oder 27 sein.";
      return false;
    }
  }
  if (a.Has("--instant") && (debit || p.SepaCommand("INSTANT", 1, 0, 0, "", "", "") != 0)) {
    error = debit ? "--instant gibt es nur für Überweisungen." : "--instant: " + ObjectError(p);
    return false;
  }
  const std::string own = AddressText({a.Get("--street"), a.Get("--building"), a.Get("--postcode"),
                                       a.Get("--town"), a.Get("--country")});
  if (!own.empty() && p.SepaCommand("ADDRESS", 0, 0, 0, own, "", "") != 0) {
    error = "Eigene Anschrift: " + ObjectError(p);
    return false;
  }
  return !a.Has("--execution-date") || ExecutionDate(c, p, debit, error);
}

bool OpenCredit(Context& c, TProxyZelSepaObject& p, std::string& error) {
  const Args& a = c.args;
  for (const char* o : {"--out", "--msg-id", "--pmt-inf-id", "--initiator", "--name", "--iban"})
    if (a.Get(o).empty()) {
      error = std::string("Die Option ") + o + " fehlt.";
      return false;
    }
  const int r =
      p.OpenCredit(Utf8ToCp1252Folded(a.Get("--msg-id")), Utf8ToCp1252Folded(a.Get("--pmt-inf-id")),
                   Utf8ToCp1252Folded(a.Get("--initiator")), a.Get("--category-purpose"),
                   Utf8ToCp1252Folded(a.Get("--name")), a.Get("--iban"), a.Get("--bic"));
  if (r != 0) error = "Auftraggeber: " + ObjectError(p);
  return r == 0;
}

// One CSV row as a credit transfer; false with the reason.
bool WriteRow(TProxyZelSepaObject& p, const std::vector<std::string>& f, std::int64_t& amount,
              std::string& reason) {
  if (!ParseEuroAmount(f[0], amount)) {
    reason = "Betrag \"" + f[0] + "\" ist kein Betrag wie 1234.56";
    return false;
  }
  if (!RowAddress(p, f, reason)) return false;
  if (p.WriteCredit(amount, Utf8ToCp1252Folded(f[1]), f[2], f[3], f[4], Utf8ToCp1252Folded(f[5]),
                    Utf8ToCp1252Folded(f[6])) == 0)
    return true;
  reason = ObjectError(p);
  p.SepaCommand("ADDRESS", 1, 0, 0, "", "", "");  // not for the next row
  return false;
}

// The rows into the open file, then the file saved, or nothing saved when a
// row was refused (unless --skip-bad). extra(): lines after the report.
int PaymentFile(Context& c, std::istream& in, TProxyZelSepaObject& p, const PaymentKind& kind,
                bool withDate, const std::function<std::string()>& extra) {
  const Outcome o = WriteRows(in, kind);
  if (o.cp1252)
    c.err << "Hinweis: Die Datei ist nicht in UTF-8; sie wurde als Windows-1252 gelesen.\n";
  const bool write =
      o.fatal.empty() && o.count > 0 && (o.refused.empty() || c.args.Has("--skip-bad"));
  if (!write) {
    if (o.fatal.empty() && o.count == 0 && o.refused.empty())
      c.err << "Die Datei enthält keine Zahlungen.\n";
    Report(c, kind, o, "", "", false, "");
    return kRejected;  // the object is dropped with its document unsaved
  }
  const std::string date = withDate ? p.GetActualDueDate() : "";
  const int r = kind.close(c.args.Get("--out"));
  if (r != 0) {
    c.err << c.args.Get("--out") << ": " << Cp1252ToUtf8(p.GetErrorMessage(r)) << ": "
          << ObjectError(p) << "\n";
    return r == 13 ? kRejected : kUsage;
  }
  Report(c, kind, o, date, p.GetActualDueDate(), true, extra());
  return kAccepted;
}

std::unique_ptr<TProxyZelSepaObject> SepaObject(Context& c) {
  auto p = TProxyZelSepaObject::Create("ZelSepaObject");
  if (!p) c.err << kNoDataFile << "\n";
  return p;
}

int Credit(Context& c, std::istream& in) {
  auto p = SepaObject(c);
  if (!p) return kUsage;
  std::string error;
  if (!Configure(c, *p, false, error) || !OpenCredit(c, *p, error)) {
    c.err << error << "\n";
    return error.rfind("Auftraggeber", 0) == 0 ? kRejected : kUsage;
  }
  const PaymentKind kind{"Überweisung",
                         "Überweisungen",
                         [&](const std::vector<std::string>& f, std::int64_t& amount,
                             std::string& reason) { return WriteRow(*p, f, amount, reason); },
                         [&](const std::string& file) { return p->CloseCredit(file); },
                         kCreditColumns,
                         {"amount", "name", "iban"}};
  return PaymentFile(c, in, *p, kind, true, [] { return std::string(); });
}

// The database number (--mandant, default 1) and directory (--db-dir).
bool Mandant(Context& c, TProxyZelSepaObject& p, int& mandant, std::string& error) {
  mandant = 1;
  if (c.args.Has("--mandant") && !ToInt(c.args.Get("--mandant"), mandant)) {
    error = "--mandant braucht eine ganze Zahl.";
    return false;
  }
  if (c.args.Has("--db-dir") && p.SetDbDirectory(c.args.Get("--db-dir")) != 0) {
    error = ObjectError(p);
    return false;
  }
  return true;
}

bool OpenDebit(Context& c, TProxyZelSepaObject& p, int mandant, std::string& error) {
  const Args& a = c.args;
  for (const char* o : {"--out", "--msg-id", "--initiator", "--name", "--iban", "--creditor-id"})
    if (a.Get(o).empty()) {
      error = std::string("Die Option ") + o + " fehlt.";
      return false;
    }
  if (a.Has("--type") && p.SepaCommand("SETDDTYPE", 0, 0, 0, a.Get("--type"), "", "") != 0) {
    error = "--type " + a.Get("--type") + ": " + ObjectError(p);
    return false;
  }
  const int r = p.OpenDebit(mandant, Utf8ToCp1252Folded(a.Get("--msg-id")),
                            Utf8ToCp1252Folded(a.Get("--initiator")), a.Get("--category-purpose"),
                            Utf8ToCp1252Folded(a.Get("--name")), a.Get("--iban"), a.Get("--bic"),
                            a.Get("--creditor-id"));
  if (r != 0) error = "Auftraggeber: " + ObjectError(p);
  return r == 0;
}

// -1 (from the history) for an empty sequence, else its code; false when unknown.
bool SequenceCode(const std::string& text, int& code) {
  static const char* const kTexts[] = {"OOFF", "FRST", "RCUR", "FNAL"};
  code = -1;
  for (int i = 0; i < 4 && !text.empty(); ++i)
    if (text == kTexts[i]) code = i;
  return text.empty() || code >= 0;
}

// One CSV row as a debit; a debit that is in the file but could not be
// recorded for the history ends the run (fatal).
bool WriteDebitRow(TProxyZelSepaObject& p, const std::vector<std::string>& f, std::int64_t& amount,
                   std::string& reason, bool& fatal) {
  int customer = 0, sequence = -1;
  if (!f[0].empty() && !ToInt(f[0], customer)) {
    reason = "Kundennummer \"" + f[0] + "\" ist keine ganze Zahl";
    return false;
  }
  if (!SequenceCode(f[1], sequence)) {
    reason = "Sequenztyp \"" + f[1] + "\" ist nicht OOFF, FRST, RCUR, FNAL oder leer";
    return false;
  }
  if (!ParseEuroAmount(f[2], amount)) {
    reason = "Betrag \"" + f[2] + "\" ist kein Betrag wie 1234.56";
    return false;
  }
  if (!RowAddress(p, f, reason)) return false;
  const int r = p.WriteDebit(customer, sequence, amount, Utf8ToCp1252Folded(f[3]), f[4], f[5], f[6],
                             Utf8ToCp1252Folded(f[7]), Utf8ToCp1252Folded(f[8]),
                             Utf8ToCp1252Folded(f[9]), f[10]);
  if (r == 0) return true;
  reason = ObjectError(p);
  p.SepaCommand("ADDRESS", 1, 0, 0, "", "", "");  // not for the next row
  fatal = r != 160;
  return false;
}

// The number of debits waiting in the temporary file of a database.
long Pending(TProxyZelSepaObject& p, int mandant) {
  const std::string key = std::to_string(mandant) + ":";
  const std::string list = " " + p.GetTempList() + " ";
  const std::size_t at = list.find(" " + key);
  return at == std::string::npos ? 0 : std::atol(list.c_str() + at + 1 + key.size());
}

int Debit(Context& c, std::istream& in) {
  auto p = SepaObject(c);
  if (!p) return kUsage;
  std::string error;
  int mandant = 1;
  if (!Configure(c, *p, true, error) || !Mandant(c, *p, mandant, error) ||
      !OpenDebit(c, *p, mandant, error)) {
    c.err << error << "\n";
    return error.rfind("Auftraggeber", 0) == 0 ? kRejected : kUsage;
  }
  bool fatal = false;
  const PaymentKind kind{
      "Lastschrift",
      "Lastschriften",
      [&](const std::vector<std::string>& f, std::int64_t& amount, std::string& reason) {
        if (fatal) reason = "nach dem vorigen Fehler nicht mehr ausgeführt";
        return !fatal && WriteDebitRow(*p, f, amount, reason, fatal);
      },
      [&](const std::string& file) {
        if (!fatal) return p->CloseDebit(file);
        return 29;  // never saved: its debits are not all in the history
      },
      kDebitColumns,
      {"amount", "name", "iban", "mandate", "mandate_date"}};
  const int rc = PaymentFile(c, in, *p, kind, false, [&] {
    const long n = mandant > 0 ? Pending(*p, mandant) : 0;
    return n == 0 ? std::string()
                  : std::to_string(n) + " Lastschrift" + (n == 1 ? "" : "en") +
                        " für die Mandantenhistorie " + std::to_string(mandant) +
                        " vorgemerkt; übernehmen mit: zel mandates merge --mandant " +
                        std::to_string(mandant) + "\n";
  });
  return rc;
}

}  // namespace

// zel sepa credit|debit PAYMENTS.csv --out FILE.xml ... ("-": standard input).
int Sepa(Context& c) {
  const Args& a = c.args;
  if (a.words.size() != 2 || (a.words[0] != "credit" && a.words[0] != "debit")) return -1;
  const auto run = a.words[0] == "credit" ? Credit : Debit;
  const std::string& input = a.words[1];
  std::string reason;
  if (!a.Get("--out").empty() &&
      !zel::IsSafeOutputTarget(a.Get("--out"), input == "-" ? "" : input, reason)) {
    c.err << a.Get("--out") << ": " << Cp1252ToUtf8(reason) << "\n";
    return kUsage;
  }
  return WithPaymentInput(c, input, [&](std::istream& in) { return run(c, in); });
}

}  // namespace zelcli
