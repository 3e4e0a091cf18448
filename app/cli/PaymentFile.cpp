#include "PaymentFile.h"

#include <fstream>

#include "BatchInput.h"
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
    if (written) {
      j.Number("count", o.count).Raw("sum", "\"" + Euro(o.sum) + "\"");
      if (!submit.empty()) j.Typed("submitBy", submit);
      if (!date.empty()) j.Typed("executionDate", date);
    }
    c.out << j.Raw("refused", "[" + list + "]").Str() << "\n";
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

// Every row of the CSV through kind.write; the refused ones with their line.
Outcome WriteRows(std::istream& in, const PaymentKind& kind) {
  LineReader reader(in);
  std::string_view line;
  bool tooLong = false;
  char separator = 0;
  std::vector<std::string> fields;
  Outcome o;
  long number = 0;
  while (reader.Next(line, tooLong)) {
    ++number;
    if (number == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    if (tooLong) {
      o.refused.push_back({number, "Die Zeile ist länger als 4096 Zeichen"});
    } else if (separator == 0) {
      separator = CsvSeparator(line);  // the header
    } else if (line.find_first_not_of(" \r") != std::string_view::npos) {
      std::int64_t amount = 0;
      std::string reason;
      if (!SplitCsv(line, separator, fields))
        reason = "Ein Anführungszeichen wird nicht geschlossen";
      if (reason.empty() && kind.write(fields, amount, reason)) {
        ++o.count;
        o.sum += amount;
      } else {
        o.refused.push_back({number, reason});
      }
    }
  }
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
