// A data module: a shared object with the domain package and its bank data.
// Inspect reads the file without running any of its code; Load maps it.
#pragma once

#include <cstdint>
#include <string>

#include "Signature.h"
#include "UniqueFd.h"
#include "ZelExport.h"

namespace zel {

// A data file's name: "ZelObjects_" + year + "_" + quarter 1..4 + ".wbd".
ZELBASE_API bool IsDataFileName(const std::string& name);

// Checks a data file before any of its code runs: its name, that it is a
// regular file (no link, no FIFO) of the user or root that no one else may
// write, its size, that it is a shared object for this machine, complete,
// exporting "ZelDataModuleInterface" with the given version, and that its
// SHA-256 is the one recorded beside it, and that it carries a valid
// signature of a trusted key; its folder must be the user's or root's and
// writable by no one else. Reads only what it needs. Returns 0, 3 (the file
// cannot be read) or 13 (not a usable data file), with the reason. With
// keep, the checked descriptor is handed on for loading.
int InspectDataModule(const std::string& path, std::uint32_t interfaceVersion, std::string& reason,
                      TUniqueFd* keep = nullptr);

// Whether a data file of this name and digest carries a valid signature of
// a trusted key (before it is written under its name); false with the reason.
ZELBASE_API bool VerifyDataFileSignature(const std::string& fileName, const TSha256Digest& digest,
                                         const TSignature& signature, std::string& reason);

// An open data module; closing it runs the module's finalisation.
class TDataModule {
 public:
  TDataModule() = default;
  ~TDataModule() { Close(); }
  TDataModule(const TDataModule&) = delete;
  TDataModule& operator=(const TDataModule&) = delete;

  // Maps the module from the descriptor that was checked; false with the
  // loader's message on failure.
  bool Open(const TUniqueFd& checked, std::string& reason);
  void Close();
  bool IsOpen() const { return fHandle != nullptr; }

 private:
  void* fHandle = nullptr;
};

}  // namespace zel
