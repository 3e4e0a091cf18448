// Payment files from CSVs (zel sepa credit/debit, zel dtaus write): the
// rows through a writer, the refused ones with their line numbers, the
// report of the file written (or of nothing written).
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <string>
#include <vector>

#include "CliCommon.h"

namespace zelcli {

struct Refusal {
  long line;
  std::string message;  // UTF-8
};

// "1234.56" and "1234,56" of an amount in 1/10000.
std::string Euro(std::int64_t amount);
std::string GermanEuro(std::int64_t amount);

// What differs between the kinds of payment files.
struct PaymentKind {
  const char* one;   // "Überweisung"
  const char* many;  // "Überweisungen"
  // One row; false with the reason.
  std::function<bool(const std::vector<std::string>&, std::int64_t&, std::string&)> write;
  std::function<int(const std::string&)> close;
  // The column names of the header line in the order write() gets them
  // (any order and letter case in the file); empty: the fields as they
  // stand. Required columns must be there.
  std::vector<std::string> columns;
  std::vector<std::string> required;
};

struct Outcome {
  std::string fatal;    // the file as a whole is refused (its header)
  bool cp1252 = false;  // lines that were not UTF-8 were read as Windows-1252
  std::vector<Refusal> refused;
  long count = 0;
  std::int64_t sum = 0;
};

// Every row of the CSV (header line, ";" or ",") through kind.write, as
// UTF-8: a line that is not UTF-8 is read as Windows-1252.
Outcome WriteRows(std::istream& in, const PaymentKind& kind);
// The report on stdout (or the refusals on stderr); extra follows it.
void Report(Context& c, const PaymentKind& kind, const Outcome& o, const std::string& date,
            const std::string& submit, bool written, const std::string& extra);
// The input of a payment command: "-" for standard input, or a file.
int WithPaymentInput(Context& c, const std::string& input,
                     const std::function<int(std::istream&)>& run);

}  // namespace zelcli
