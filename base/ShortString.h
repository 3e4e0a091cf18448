// A short string of binary layouts: one length byte followed by a fixed area
// of N characters; only the first Len characters count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace zel {

#pragma pack(push, 1)
template <std::size_t N>
struct TShortString {
  std::uint8_t Len;
  char Chars[N];

  std::string_view View() const { return {Chars, Len <= N ? Len : N}; }
  void Assign(std::string_view s) {
    std::memset(Chars, 0, N);
    Len = static_cast<std::uint8_t>(s.size() < N ? s.size() : N);
    std::memcpy(Chars, s.data(), Len);
  }
};
#pragma pack(pop)

}  // namespace zel
