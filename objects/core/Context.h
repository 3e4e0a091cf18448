// The object state stream: the magic "BrenkKey", then items of a name (one
// length byte and the name) and a value (four bytes of length and the
// text), then a zero byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ByteStream.h"

namespace zel {

class TContext {
 public:
  explicit TContext(TByteStream& Stream) : fStream(Stream) {}

  void WriteBegin();
  void Write(const std::string& Name, const std::string& Value);
  void Write(const std::string& Name, std::int32_t Value);
  void Write(const std::string& Name, bool Value);
  // A literal would otherwise silently become the bool overload.
  void Write(const std::string& Name, const char* Value) = delete;
  void WriteEnd();

  // Reads every complete item; a foreign, empty or cut stream gives fewer.
  void ReadAll();
  // The value of the first item of that name (any case), or empty text.
  std::string GetItem(const std::string& Name) const;
  int GetCount() const { return static_cast<int>(fNames.size()); }

 private:
  TByteStream& fStream;  // borrowed
  std::vector<std::string> fNames;
  std::vector<std::string> fValues;
};

}  // namespace zel
