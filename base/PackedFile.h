// Packed data files (".wbp"): a header with the data file's name, size and
// SHA-256, then the data file compressed with zstd.
#pragma once

#include <string>

#include "AtomicFile.h"
#include "ZelExport.h"

namespace zel {

// Packs the data file into a packed file; false with the reason on failure.
ZELBASE_API bool PackDataFile(const std::string& wbdPath, const std::string& wbpPath,
                              std::string& reason);

// Unpacks into the directory: 0 unpacked, 3 cannot be opened or written,
// 5 already unpacked, 13 damaged. The data file appears atomically.
ZELBASE_API int UnpackDataFile(const std::string& wbpPath, const std::string& directory,
                               std::string& unpackedName, std::string& reason);

// A plain file name: letters, digits, "_", "-", "." only, no path.
ZELBASE_API bool IsPlainFileName(const std::string& name);

}  // namespace zel
