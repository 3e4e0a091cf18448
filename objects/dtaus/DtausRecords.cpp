#include "DtausRecords.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zel::dtaus {

void AppendPrintable(std::string& out, std::string_view field) {
  for (char ch : field) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c != 0x7F) {
      out += ch;
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
}

std::string Printable(std::string_view field) {
  std::string out;
  AppendPrintable(out, field);
  return out;
}

int ExtensionParts(const char* c) {
  int length = 0;
  for (int i = 0; i < 4; ++i) {
    if (c[i] < '0' || c[i] > '9') return -1;
    length = length * 10 + (c[i] - '0');
  }
  const int parts = (length - 187) / 29;
  return length >= 187 && (length - 187) % 29 == 0 && parts <= 15 ? parts : -1;
}

bool CountFieldIs(const char* second, int parts) {
  return second[57] == '0' + parts / 10 && second[58] == '0' + parts % 10;
}

int CBlocks(int parts) { return parts <= 2 ? 2 : 3 + (parts - 3) / 4; }

bool TBlockReader::Fill() {
  std::memmove(fBuffer.data(), fBuffer.data() + fPos, fEnd - fPos);
  fEnd -= fPos;
  fPos = 0;
  while (fEnd < kBlock) {
    const ssize_t n = ::read(fFd, fBuffer.data() + fEnd, fBuffer.size() - fEnd);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fError = errno;
    if (n <= 0) return false;
    fEnd += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace zel::dtaus
