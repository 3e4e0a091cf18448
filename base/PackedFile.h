// Packed data files (".wbp"): a header with the data file's name, size,
// SHA-256 and signature, then the data file compressed with zstd.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "AtomicFile.h"
#include "ZelExport.h"

namespace zel {

// Packs a signed data file (its signature lies beside it) into a packed
// file; false with the reason on failure.
ZELBASE_API bool PackDataFile(const std::string& wbdPath, const std::string& wbpPath,
                              std::string& reason);

// The header of a packed file.
struct TPackedHeader {
  std::uint64_t size = 0;  // of the data file
  std::array<unsigned char, 32> digest{};
  std::array<unsigned char, 64> signature{};  // of the data file, by a trusted key
  std::string name;                           // of the data file
  std::uint64_t packedSize = 0;
};

// The longest header.
constexpr std::size_t kMaxPackedHeader = 8 + 8 + 32 + 64 + 2 + 255 + 8;

// Reads and checks the header from the first bytes of a packed file: magic,
// a data-file name, a size within bounds.
ZELBASE_API bool ParsePackedHeader(std::string_view head, TPackedHeader& header);
ZELBASE_API std::size_t PackedHeaderSize(const TPackedHeader& header);
// Whether the bytes start a packed file of the old form, without signature.
ZELBASE_API bool IsUnsignedPackedFile(std::string_view head);

// Unpacks into the directory: 0 unpacked, 3 cannot be opened or written,
// 5 already unpacked, 13 damaged or not signed by a trusted key (checked
// before anything is written). The data file appears atomically, with its
// digest and signature beside it.
ZELBASE_API int UnpackDataFile(const std::string& wbpPath, const std::string& directory,
                               std::string& unpackedName, std::string& reason);

// A plain file name: letters, digits, "_", "-", "." only, no path.
ZELBASE_API bool IsPlainFileName(const std::string& name);

}  // namespace zel
