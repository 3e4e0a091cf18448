#include "String80.h"

namespace zel {

void TString80::AddString(std::string_view value) {
  // The first 80 digits of the value, right-aligned like a numeric field.
  char add[80];
  std::size_t n = 0;
  for (char c : value)
    if (c >= '0' && c <= '9' && n < 80) add[n++] = c;
  // Digit by digit from the right; past the value's digits only while a
  // carry remains.
  int carry = 0;
  for (std::size_t back = 1; back <= 80 && (back <= n || carry != 0); ++back) {
    char& digit = fDigits[80 - back];
    const int d = (digit - '0') + (back <= n ? add[n - back] - '0' : 0) + carry;
    digit = static_cast<char>('0' + d % 10);
    carry = d / 10;
  }
}

void TString80::Assign(std::string_view value) {
  // Added to zero: the first 80 digits of the text, right-aligned.
  fDigits.fill('0');
  AddString(value.substr(0, 80));
}

}  // namespace zel
