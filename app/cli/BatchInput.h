// The input of the batch commands: lines "BLZ ACCOUNT" from standard input
// or a file, read in bounded pieces.
#pragma once

#include <cstddef>
#include <functional>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "CliCommon.h"

namespace zelcli {

// Reads lines through a large buffer, each at most kMaxLine bytes: a longer
// line is reported by the caller and skipped up to its end, so memory stays
// flat whatever the input holds.
class LineReader {
 public:
  static constexpr std::size_t kMaxLine = 4096;
  explicit LineReader(std::istream& in) : fIn(in) {}

  // False at the end of the input. `tooLong` marks a line that is too long:
  // it is reported as soon as that is clear, and the rest of it is skipped.
  bool Next(std::string_view& line, bool& tooLong) {
    tooLong = false;
    line = {};
    for (;;) {
      const char* nl =
          static_cast<const char*>(std::memchr(fBuffer.data() + fPos, '\n', fEnd - fPos));
      if (fSkipping) {
        fPos = nl ? static_cast<std::size_t>(nl - fBuffer.data()) + 1 : fEnd;
        fSkipping = nl == nullptr;
        if (fSkipping && !Fill()) return false;
        continue;
      }
      if (nl && static_cast<std::size_t>(nl - fBuffer.data()) - fPos <= kMaxLine) {
        line = std::string_view(fBuffer.data() + fPos,
                                static_cast<std::size_t>(nl - fBuffer.data()) - fPos);
        fPos += line.size() + 1;
        return true;
      }
      if (fEnd - fPos > kMaxLine) {
        fSkipping = true;
        tooLong = true;
        return true;
      }
      if (!Fill()) {
        if (fPos == fEnd) return false;
        line = std::string_view(fBuffer.data() + fPos, fEnd - fPos);  // the last line
        fPos = fEnd;
        return true;
      }
    }
  }

 private:
  // Moves the unread rest to the front and reads more; false at the end.
  bool Fill() {
    std::memmove(fBuffer.data(), fBuffer.data() + fPos, fEnd - fPos);
    fEnd -= fPos;
    fPos = 0;
    const std::streamsize n = fIn.rdbuf()->sgetn(
        fBuffer.data() + fEnd, static_cast<std::streamsize>(fBuffer.size() - fEnd));
    if (n <= 0) return false;
    fEnd += static_cast<std::size_t>(n);
    return true;
  }

  std::istream& fIn;
  std::vector<char> fBuffer = std::vector<char>(1 << 16);
  std::size_t fPos = 0, fEnd = 0;
  bool fSkipping = false;
};

// Runs a line handler for every line "BLZ ACCOUNT" of the input, streaming;
// a malformed or over-long line gets an error line of its own and the run
// goes on. The first 100,000 lines are checked in this thread; past them
// the input goes in blocks to all cores (--jobs N: at most N at a time),
// each block with a handler of its own from make, and the answers are
// written in input order, the same bytes as on one core. Memory stays flat:
// only a few blocks are under way at a time.
using BatchLine =
    std::function<void(std::string_view blz, std::string_view account, OutBuffer& out)>;
using BatchLineFactory = std::function<BatchLine()>;
int Batch(Context& c, std::istream& in, const BatchLineFactory& make);

// The input of a batch command: "-" for standard input, or --file.
int WithBatchInput(Context& c, const std::function<int(std::istream&)>& run);

bool IsBatch(const Context& c);
// The cores a batch may use: --jobs N, or every core.
int BatchJobs(const Context& c);

}  // namespace zelcli
