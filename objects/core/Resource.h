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

}  // namespace zel
