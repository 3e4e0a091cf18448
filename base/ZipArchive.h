// The entries of a ZIP archive, read through libzip (loaded when an
// archive is first read). Every entry is read up to a limit while it is
// unpacked, whatever its header claims, so an archive that unpacks into
// more than it may (a zip bomb) ends with a clear error.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "ZelExport.h"

namespace zel {

struct TZipLimits {
  std::size_t maxEntries = 10000;
  std::size_t maxEntrySize = std::size_t{256} << 20;  // unpacked, per entry
};

// Calls each(name, content) for the archive's entries in name order
// (directories left out) until it answers false. False with the reason
// (UTF-8) when the archive cannot be read, libzip is missing, or a limit
// is passed.
ZELBASE_API bool ReadZipEntries(const std::string& path, const TZipLimits& limits,
                                const std::function<bool(const std::string&, std::string&)>& each,
                                std::string& error);

// Whether bytes start like a ZIP archive.
ZELBASE_API bool LooksLikeZip(const std::string& head);

}  // namespace zel
