// Files that appear complete or not at all, and the checks an output path
// passes before anything is written to it. Reasons are code page 1252.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "ZelExport.h"

namespace zel {

// Written to a temporary file beside the target (unnamed where the file
// system allows, so a killed process leaves nothing) and renamed over it by
// Commit (after fsync of the file and then of the directory). Without a
// Commit the temporary file is removed, so a failed or abandoned write
// leaves the old target as it was. The target gets the mode a new file
// gets (0666 less the umask), or the mode given (0644 for data files that
// every user reads, 0600 for private files such as the mandate history).
inline constexpr unsigned kUmaskMode = ~0u;

// The mode of a new file: 0666 less the process's umask.
ZELBASE_API unsigned NewFileMode();

class ZELBASE_API TAtomicFile {
 public:
  explicit TAtomicFile(std::string target, unsigned mode = kUmaskMode);
  ~TAtomicFile();
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;

  // Creates the temporary file; false with the reason.
  bool Open(std::string& reason);
  bool IsOpen() const { return fFile != nullptr; }
  // Buffered writes; a failure shows at Commit.
  void Write(std::string_view bytes);
  bool Commit(std::string& reason);
  // Drops what was written; the target stays as it was.
  void Discard();

 private:
  bool Name();

  std::string fTarget;
  std::string fTemp;
  bool fUnnamed = false;  // fTemp is only the pattern of a name yet
  std::FILE* fFile = nullptr;
  int fError = 0;
  unsigned fMode;
};

// Writes bytes as a TAtomicFile.
ZELBASE_API bool WriteFileAtomically(const std::string& target, std::string_view bytes,
                                     std::string& reason, unsigned mode = kUmaskMode);

// The path with its extension replaced by `extension` (".out"); a name
// without extension, or a dot file such as ".dta", gets it appended.
ZELBASE_API std::string PathWithExtension(const std::string& path, const std::string& extension);

// Whether an output file may be written (replaced) at `target`: not a
// symbolic link, not something other than a regular file, and not the same
// file as `input` (empty: no input). False with the reason.
ZELBASE_API bool IsSafeOutputTarget(const std::string& target, const std::string& input,
                                    std::string& reason);

}  // namespace zel
