// The record level of DTAUS files as the checker reads them: 128-byte
// blocks, the C record's length and parts, printable error-list fields.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zel::dtaus {

constexpr std::size_t kBlock = 128;

// Control bytes of a record field as \xNN, so a list line stays one line.
void AppendPrintable(std::string& out, std::string_view field);
std::string Printable(std::string_view field);

// The extension parts a C record's length field announces (187 + 29 each,
// at most 15), -1 for any other length.
int ExtensionParts(const char* c);

// Positions 186-187 of a C record, its count of extension parts, lie in its
// second block.
bool CountFieldIs(const char* second, int parts);

// The blocks of 128 bytes a C record with that many parts fills.
int CBlocks(int parts);

// Reads a file in blocks of 128 bytes through a large buffer.
class TBlockReader {
 public:
  enum Result { kBlockRead, kEnd, kShort, kReadError };
  explicit TBlockReader(int fd) : fFd(fd) {}
  Result Next(const char*& block) {
    if (fEnd - fPos < kBlock && !Fill())
      return fError != 0 ? kReadError : fEnd == fPos ? kEnd : kShort;
    block = fBuffer.data() + fPos;
    fPos += kBlock;
    return kBlockRead;
  }
  int Error() const { return fError; }

 private:
  // Moves the rest to the front and reads until a whole block is there.
  bool Fill();

  int fFd;
  std::vector<char> fBuffer = std::vector<char>(1 << 16);
  std::size_t fPos = 0, fEnd = 0;
  int fError = 0;
};

}  // namespace zel::dtaus
