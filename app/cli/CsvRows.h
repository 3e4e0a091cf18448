// Rows of a payment CSV: a header line, fields separated by ";" or "," (the
// header decides), fields optionally in double quotes ("" inside quotes is
// one quote). Amounts as "1234.56" or "1234,56".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelcli {

// The separator of a header line: ";" when it holds one, else ",".
char CsvSeparator(std::string_view header);

// Splits a line into its fields (a trailing CR is dropped); false when a
// quote is not closed.
bool SplitCsv(std::string_view line, char separator, std::vector<std::string>& fields);

// Euros with at most two decimals, "." or "," as separator, to 1/10000;
// false when the text is no such amount (sign, blanks inside, too large).
bool ParseEuroAmount(std::string_view text, std::int64_t& amount);

}  // namespace zelcli
