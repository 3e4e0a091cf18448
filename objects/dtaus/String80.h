// The control sums of a DTAUS file: account numbers, bank codes and amounts
// added up as 80-digit decimal numbers.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace zel {

// An 80-digit decimal control sum.
class TString80 {
 public:
  TString80() { fDigits.fill('0'); }
  // Adds the digits of a text (at most the last 80 of them).
  void AddString(std::string_view value);
  std::string_view Digits() const { return {fDigits.data(), fDigits.size()}; }
  std::string Last(std::size_t n) const { return std::string(Digits().substr(80 - n)); }
  // From a stored text of up to 80 characters (digits only are used).
  void Assign(std::string_view value);

 private:
  std::array<char, 80> fDigits;
};

}  // namespace zel
