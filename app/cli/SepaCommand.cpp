// zel sepa credit: a SEPA credit-transfer file from a CSV of payments.

#include <fstream>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "BatchInput.h"
#include "CliCommon.h"
#include "Commands.h"
#include "CsvRows.h"

namespace zelcli {
namespace {

using zel::Cp1252ToUtf8;
using zel::TProxyZelSepaObject;
using zel::Utf8ToCp1252;

constexpr std::size_t kCreditColumns = 7;  // amount;name;iban;bic;purpose;reference;text

struct Refusal {
  long line;
  std::string message;  // UTF-8
};

// "1234.56" of an amount in 1/10000.
std::string Euro(std::int64_t amount) {
  const std::int64_t cents = amount / 100;
  const std::string c = std::to_string(cents % 100);
  return std::to_string(cents / 100) + (c.size() < 2 ? ".0" : ".") + c;
}

std::string GermanEuro(std::int64_t amount) {
  std::string s = Euro(amount);
  s[s.size() - 3] = ',';
  return s;
}

std::string ObjectError(TProxyZelSepaObject& p) { return Cp1252ToUtf8(p.GetLastError()); }

// Version and execution date; false with the message.
bool Configure(Context& c, TProxyZelSepaObject& p, std::string& error) {
  const Args& a = c.args;
  if (a.Has("--sepa-version")) {
    int v = 0;
    if (!ToInt(a.Get("--sepa-version"), v) || (v != 25 && v != 26 && v != 27) ||
        p.SetSepaVersion(v) != v) {
      error = "Die SEPA-Version muss 25, 26 oder 27 sein.";
      return false;
    }
  }
  if (a.Has("--execution-date") &&
      p.SepaCommand("CALCDUEDATE", 0, 2, 0, a.Get("--execution-date"), "", "") != 0) {
    error = "Ausführungsdatum " + a.Get("--execution-date") + ": " + ObjectError(p);
    return false;
  }
  return true;
}

bool OpenCredit(Context& c, TProxyZelSepaObject& p, std::string& error) {
  const Args& a = c.args;
  for (const char* o : {"--out", "--msg-id", "--pmt-inf-id", "--initiator", "--name", "--iban"})
    if (a.Get(o).empty()) {
      error = std::string("Die Option ") + o + " fehlt.";
      return false;
    }
  const int r = p.OpenCredit(Utf8ToCp1252(a.Get("--msg-id")), Utf8ToCp1252(a.Get("--pmt-inf-id")),
                             Utf8ToCp1252(a.Get("--initiator")), a.Get("--category-purpose"),
                             Utf8ToCp1252(a.Get("--name")), a.Get("--iban"), a.Get("--bic"));
  if (r != 0) error = "Auftraggeber: " + ObjectError(p);
  return r == 0;
}

// One CSV row as a credit transfer; false with the reason.
bool WriteRow(TProxyZelSepaObject& p, const std::vector<std::string>& f, std::int64_t& amount,
              std::string& reason) {
  if (f.size() != kCreditColumns) {
    reason = "7 Felder erwartet, " + std::to_string(f.size()) + " gefunden";
    return false;
  }
  if (!ParseEuroAmount(f[0], amount)) {
    reason = "Betrag \"" + f[0] + "\" ist kein Betrag wie 1234.56";
    return false;
  }
  if (p.WriteCredit(amount, Utf8ToCp1252(f[1]), f[2], f[3], f[4], Utf8ToCp1252(f[5]),
                    Utf8ToCp1252(f[6])) == 0)
    return true;
  reason = ObjectError(p);
  return false;
}

void Report(Context& c, const std::vector<Refusal>& refused, long count, std::int64_t sum,
            const std::string& date, const std::string& submit, bool written) {
  const std::string out = c.args.Get("--out");
  if (c.json) {
    std::string list;
    for (const Refusal& r : refused)
      list += (list.empty() ? "{\"line\":" : ",{\"line\":") + std::to_string(r.line) +
              ",\"message\":" + JsonString(r.message) + "}";
    JsonObject o;
    o.Typed("file", out).Raw("written", written ? "true" : "false");
    if (written)
      o.Number("count", count)
          .Raw("sum", "\"" + Euro(sum) + "\"")
          .Typed("executionDate", date)
          .Typed("submitBy", submit);
    c.out << o.Raw("refused", "[" + list + "]").Str() << "\n";
    return;
  }
  for (const Refusal& r : refused) c.err << "Zeile " << r.line << ": " << r.message << "\n";
  if (!written) {
    c.err << refused.size() << " Zeile" << (refused.size() == 1 ? "" : "n")
          << " abgelehnt; es wurde keine Datei geschrieben (--skip-bad schreibt die guten).\n";
    return;
  }
  c.out << out << ": " << count << (count == 1 ? " Überweisung" : " Überweisungen") << ", Summe "
        << GermanEuro(sum) << " EUR, Ausführung am " << date << ", einzureichen bis " << submit
        << "\n";
}

int Credit(Context& c, std::istream& in) {
  auto p = TProxyZelSepaObject::Create("ZelSepaObject");
  if (!p) {
    c.err << kNoDataFile << "\n";
    return kUsage;
  }
  std::string error;
  if (!Configure(c, *p, error) || !OpenCredit(c, *p, error)) {
    c.err << error << "\n";
    return error.rfind("Auftraggeber", 0) == 0 ? kRejected : kUsage;
  }
  LineReader reader(in);
  std::string_view line;
  bool tooLong = false;
  char separator = 0;
  std::vector<std::string> fields;
  std::vector<Refusal> refused;
  long number = 0, count = 0;
  std::int64_t sum = 0;
  while (reader.Next(line, tooLong)) {
    ++number;
    if (number == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    if (tooLong) {
      refused.push_back({number, "Die Zeile ist länger als 4096 Zeichen"});
    } else if (separator == 0) {
      separator = CsvSeparator(line);  // the header
    } else if (line.find_first_not_of(" \r") != std::string_view::npos) {
      std::int64_t amount = 0;
      std::string reason;
      if (!SplitCsv(line, separator, fields))
        reason = "Ein Anführungszeichen wird nicht geschlossen";
      if (reason.empty() && WriteRow(*p, fields, amount, reason)) {
        ++count;
        sum += amount;
      } else {
        refused.push_back({number, reason});
      }
    }
  }
  const bool write = count > 0 && (refused.empty() || c.args.Has("--skip-bad"));
  if (!write) {
    if (count == 0 && refused.empty()) c.err << "Die Datei enthält keine Zahlungen.\n";
    Report(c, refused, count, sum, "", "", false);
    return kRejected;  // the object is dropped with its document unsaved
  }
  const std::string date = p->GetActualDueDate();
  const int r = p->CloseCredit(c.args.Get("--out"));
  if (r != 0) {
    c.err << c.args.Get("--out") << ": " << Cp1252ToUtf8(p->GetErrorMessage(r)) << ": "
          << ObjectError(*p) << "\n";
    return r == 13 ? kRejected : kUsage;
  }
  Report(c, refused, count, sum, date, p->GetActualDueDate(), true);
  return kAccepted;
}

}  // namespace

// zel sepa credit PAYMENTS.csv --out FILE.xml ... ("-": standard input).
int Sepa(Context& c) {
  const Args& a = c.args;
  if (a.words.size() != 2 || a.words[0] != "credit") return -1;
  const std::string& input = a.words[1];
  std::string reason;
  if (!a.Get("--out").empty() &&
      !zel::IsSafeOutputTarget(a.Get("--out"), input == "-" ? "" : input, reason)) {
    c.err << a.Get("--out") << ": " << Cp1252ToUtf8(reason) << "\n";
    return kUsage;
  }
  if (input == "-") return Credit(c, c.in);
  std::ifstream file(input, std::ios::binary);
  if (!file) {
    c.err << "Die Datei " << input << " kann nicht gelesen werden.\n";
    return kUsage;
  }
  return Credit(c, file);
}

}  // namespace zelcli
