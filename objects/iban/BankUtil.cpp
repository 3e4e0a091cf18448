#include "BankUtil.h"

#include <cstdint>
#include <cstring>

#include "ErrorCodes.h"

namespace zel::BankUtil {
namespace {

constexpr std::size_t kChunk = 18;
constexpr std::size_t kCarried = 255;  // characters carried behind a chunk

// The value of a digit text, or 0 when it holds anything else.
std::uint64_t ChunkValue(std::string_view s) {
  std::uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return v;
}

}  // namespace

int Mod97(std::string_view Digits) {
  // Working text: remainder digits, then the rest; never above 2 + 255 bytes.
  char buf[kChunk + kCarried + 8];
  std::size_t len = 0;
  std::string_view rest = Digits;
  auto take = [&](std::size_t n) {
    n = std::min(n, rest.size());
    std::memcpy(buf + len, rest.data(), n);
    len += n;
    rest.remove_prefix(n);
  };
  take(kChunk + kCarried);
  while (len > kChunk) {
    const std::uint64_t r = ChunkValue(std::string_view(buf, kChunk)) % 97;
    char head[4];
    std::size_t headLen = 0;
    if (r >= 10) head[headLen++] = static_cast<char>('0' + r / 10);
    head[headLen++] = static_cast<char>('0' + r % 10);
    // The new text: the remainder, then at most 255 characters behind the chunk.
    const std::size_t behind = std::min(len - kChunk, kCarried);
    std::memmove(buf + headLen, buf + kChunk, behind);
    std::memcpy(buf, head, headLen);
    len = headLen + behind;
  }
  return static_cast<int>(ChunkValue(std::string_view(buf, len)) % 97);
}

int TestIban(std::string_view Iban) {
  // Characters 5 onward (at most 254), then characters 1 to 4.
  const std::string_view head = Iban.substr(0, std::min<std::size_t>(4, Iban.size()));
  const std::string_view tail = Iban.size() > 4 ? Iban.substr(4, 254) : std::string_view();
  char digits[2 * 258 + 8];
  std::size_t n = 0;
  for (std::string_view part : {tail, head}) {
    for (char c : part) {
      if (c == ' ') continue;
      int value;
      if (c >= '0' && c <= '9') {
        digits[n++] = c;
        continue;
      }
      if (c >= 'A' && c <= 'Z')
        value = c - 'A' + 10;
      else if (c >= 'a' && c <= 'z')
        value = c - 'a' + 10;
      else
        return ErrorCodes::kNotDigits;
      digits[n++] = static_cast<char>('0' + value / 10);
      digits[n++] = static_cast<char>('0' + value % 10);
    }
  }
  return Mod97(std::string_view(digits, n)) == 1 ? ErrorCodes::kOk : ErrorCodes::kInvalid;
}

std::string ConvertToIbanBic(std::string_view Text, bool) {
  std::string out;
  out.reserve(Text.size());
  for (char c : Text) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'))
      out += c;
    else if (c >= 'a' && c <= 'z')
      out += static_cast<char>(c - 32);
  }
  return out;
}

}  // namespace zel::BankUtil
