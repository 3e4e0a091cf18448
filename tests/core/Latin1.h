// Test helper: code page 1252 text as UTF-8, for texts that use only the
// Latin-1 letters (the German umlauts and ß).
#pragma once

#include <string>

namespace zeltest {

inline std::string Utf8(const std::string& cp1252) {
  std::string out;
  for (unsigned char c : cp1252) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace zeltest
