// A growable in-memory byte stream with a position: the stream that objects
// write their state into and are rebuilt from.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "ZelExport.h"

namespace zel {

class ZELBASE_API TByteStream {
 public:
  TByteStream() = default;
  explicit TByteStream(std::string bytes) : fData(std::move(bytes)) {}

  // Copies up to n bytes from the position; returns how many were read.
  std::size_t Read(void* buffer, std::size_t n);
  // Writes at the position, growing the stream as needed.
  void Write(const void* buffer, std::size_t n);
  void Seek(std::size_t position) { fPosition = position; }
  std::size_t Position() const { return fPosition; }
  std::size_t Size() const { return fData.size(); }
  std::string_view Bytes() const { return fData; }

 private:
  std::string fData;
  std::size_t fPosition = 0;
};

}  // namespace zel
