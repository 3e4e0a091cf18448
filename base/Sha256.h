// SHA-256 of files and byte streams, and the digest file recorded beside a
// data file ("ZelObjects_2026_2.wbd.sha256", in the form sha256sum writes).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "ZelExport.h"

namespace zel {

using TSha256Digest = std::array<unsigned char, 32>;

// A running SHA-256 (OpenSSL's libcrypto, loaded when first needed).
class ZELBASE_API TSha256 {
 public:
  // Whether libcrypto could be loaded; without it every digest is all zeros.
  static bool Available();
  TSha256();
  ~TSha256();
  TSha256(const TSha256&) = delete;
  TSha256& operator=(const TSha256&) = delete;
  void Update(const void* data, std::size_t size);
  TSha256Digest Final();

 private:
  struct Context;
  std::unique_ptr<Context> fContext;
};

ZELBASE_API TSha256Digest Sha256Of(std::string_view bytes);
ZELBASE_API std::string HexOf(const TSha256Digest& digest);

// The digest of an open file's contents, read with pread; false on a read error.
ZELBASE_API bool Sha256OfFile(int fd, TSha256Digest& digest);

// The name of the digest file of a data file.
ZELBASE_API std::string DigestFileOf(const std::string& dataFile);

// Records the digest of a data file beside it (atomically); false with the reason.
ZELBASE_API bool RecordDigest(const std::string& dataFile, const TSha256Digest& digest,
                              std::string& reason);

}  // namespace zel
