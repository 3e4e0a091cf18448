#include "ByteStream.h"

#include <algorithm>
#include <cstring>

namespace zel {

std::size_t TByteStream::Read(void* buffer, std::size_t n) {
  if (fPosition >= fData.size()) return 0;
  const std::size_t count = std::min(n, fData.size() - fPosition);
  std::memcpy(buffer, fData.data() + fPosition, count);
  fPosition += count;
  return count;
}

void TByteStream::Write(const void* buffer, std::size_t n) {
  if (n == 0) return;
  if (fPosition + n > fData.size()) fData.resize(fPosition + n);
  std::memcpy(fData.data() + fPosition, buffer, n);
  fPosition += n;
}

}  // namespace zel
