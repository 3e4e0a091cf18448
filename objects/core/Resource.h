// Read-only tables embedded in the domain module, reached by name
// ("BANKDATA", later "SCLDATA"). The bytes stay where the loader mapped them.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace zel {

// The bytes of the named resource; throws std::runtime_error if the module
// carries no resource of that name.
std::span<const std::byte> FindResource(std::string_view name);

// A resource of fixed-size records, addressed by 1-based index.
struct TRecordTable {
  const std::byte* base = nullptr;
  int count = 0;
  std::size_t recordSize = 0;
  const std::byte* At(int index) const {
    return base + static_cast<std::size_t>(index - 1) * recordSize;
  }
};

// The records of the named resource (a trailing partial record is ignored).
TRecordTable MapRecords(std::string_view name, std::size_t recordSize);

}  // namespace zel
