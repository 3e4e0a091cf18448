#include "PaymentFile.h"

#include <cctype>
#include <fstream>

#include "BatchInput.h"
#include "Cp1252.h"
#include "CsvRows.h"

namespace zelcli {

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

void Report(Context& c, const PaymentKind& kind, const Outcome& o, const std::string& date,
            const std::string& submit, bool written, const std::string& extra) {
  const std::string out = c.args.Get("--out");
  if (c.json) {
    std::string list;
    for (const Refusal& r : o.refused)
      list += (list.empty() ? "{\"line\":" : ",{\"line\":") + std::to_string(r.line) +
              ",\"message\":" + JsonString(r.message) + "}";
    JsonObject j;
    j.Typed("file", out).Raw("written", written ? "true" : "false");
    if (!o.fatal.empty()) j.Typed("error", o.fatal);
    if (written) {
      j.Number("count", o.count).Raw("sum", "\"" + Euro(o.sum) + "\"");
      if (!submit.empty()) j.Typed("submitBy", submit);
      if (!date.empty()) j.Typed("executionDate", date);
    }
    c.out << j.Raw("refused", "[" + list + "]").Str() << "\n";
    return;
  }
  if (!o.fatal.empty()) {
    c.err << "Zeile 1: " << o.fatal << "\nEs wurde keine Datei geschrieben.\n";
    return;
  }
  for (const Refusal& r : o.refused) c.err << "Zeile " << r.line << ": " << r.message << "\n";
  if (!written) {
    c.err << o.refused.size() << " Zeile" << (o.refused.size() == 1 ? "" : "n")
          << " abgelehnt; es wurde keine Datei geschrieben (--skip-bad schreibt die guten).\n";
    return;
  }
  c.out << out << ": " << o.count << " " << (o.count == 1 ? kind.one : kind.many) << ", Summe "
        << GermanEuro(o.sum) << " EUR";
  if (!date.empty()) c.out << ", Ausführung am " << date;
  if (!submit.empty()) c.out << ", einzureichen bis " << submit;
  c.out << "\n" << extra;
}

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trimmed(std::string_view s) {
  const std::size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string_view::npos) return {};
  return std::string(s.substr(b, s.find_last_not_of(" \t\r") - b + 1));
}

std::string Joined(const std::vector<std::string>& names) {
  std::string all;
  for (const std::string& n : names) all += (all.empty() ? "" : ";") + n;
  return all;
}

// Where each field of a line goes among kind.columns; empty with the
// reason when the header is refused.
std::vector<std::size_t> MapHeader(const std::vector<std::string>& header, const PaymentKind& kind,
                                   std::string& fatal) {
  std::vector<std::size_t> map;
  std::vector<bool> seen(kind.columns.size());
  for (const std::string& field : header) {
    const std::string name = Lower(Trimmed(field));
    std::size_t k = 0;
    while (k < kind.columns.size() && kind.columns[k] != name) ++k;
    if (k == kind.columns.size() || seen[k]) {
      fatal = (k == kind.columns.size() ? "Spalte \"" + field + "\" ist unbekannt"
                                        : "Spalte \"" + field + "\" steht doppelt") +
              " (die erste Zeile nennt die Spalten, möglich sind " + Joined(kind.columns) + ")";
      return {};
    }
    seen[k] = true;
    map.push_back(k);
  }
  for (const std::string& r : kind.required)
    for (std::size_t k = 0; k < kind.columns.size(); ++k)
      if (kind.columns[k] == r && !seen[k]) {
        fatal = "Spalte \"" + r + "\" fehlt in der ersten Zeile";
        return {};
      }
  return map;
}

}  // namespace

// Every row of the CSV through kind.write; the refused ones with their line.
Outcome WriteRows(std::istream& in, const PaymentKind& kind) {
  LineReader reader(in);
  std::string_view line;
  bool tooLong = false;
  char separator = 0;
  std::vector<std::string> fields, row;
  std::vector<std::size_t> map;
  Outcome o;
  long number = 0;
  std::string text;
  while (reader.Next(line, tooLong) && o.fatal.empty()) {
    ++number;
    if (number == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    if (!tooLong && !zel::IsUtf8(line)) {
      text = zel::Cp1252ToUtf8(line);
      line = text;
      o.cp1252 = true;
    }
    if (tooLong) {
      o.refused.push_back({number, "Die Zeile ist länger als 4096 Zeichen"});
    } else if (separator == 0) {
      separator = CsvSeparator(line);  // the header
      if (!kind.columns.empty()) {
        if (!SplitCsv(line, separator, fields)) fields.clear();
        map = MapHeader(fields, kind, o.fatal);
      }
    } else if (line.find_first_not_of(" \r") != std::string_view::npos) {
      std::int64_t amount = 0;
      std::string reason;
      if (!SplitCsv(line, separator, fields))
        reason = "Ein Anführungszeichen wird nicht geschlossen";
      else if (!map.empty() && fields.size() != map.size())
        reason = std::to_string(map.size()) + " Felder erwartet, " + std::to_string(fields.size()) +
                 " gefunden";
      if (reason.empty() && !map.empty()) {
        row.assign(kind.columns.size(), std::string());
        for (std::size_t k = 0; k < map.size(); ++k) row[map[k]] = std::move(fields[k]);
        fields.swap(row);
      }
      if (reason.empty() && kind.write(fields, amount, reason)) {
        ++o.count;
        o.sum += amount;
      } else {
        o.refused.push_back({number, reason});
      }
    }
  }
  if (!kind.columns.empty() && map.empty() && o.fatal.empty())
    o.fatal = "Die erste Zeile muss die Spalten nennen (" + Joined(kind.columns) + ")";
  return o;
}

int WithPaymentInput(Context& c, const std::string& input,
                     const std::function<int(std::istream&)>& run) {
  if (input == "-") return run(c.in);
  std::ifstream file(input, std::ios::binary);
  if (!file) {
    c.err << "Die Datei " << input << " kann nicht gelesen werden.\n";
    return kUsage;
  }
  return run(file);
}

}  // namespace zelcli
