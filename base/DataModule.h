// A data module: a shared object with the domain package and its bank data.
// Inspect reads the file without running any of its code; Load maps it.
#pragma once

#include <cstdint>
#include <string>

namespace zel {

// Checks that the file is a shared object for this machine, complete, and
// exports "ZelDataModuleInterface" with the given version. Returns 0, 3 (the
// file cannot be read) or 13 (not a data module), with the reason.
int InspectDataModule(const std::string& path, std::uint32_t interfaceVersion, std::string& reason);

// An open data module; closing it runs the module's finalisation.
class TDataModule {
 public:
  TDataModule() = default;
  ~TDataModule() { Close(); }
  TDataModule(const TDataModule&) = delete;
  TDataModule& operator=(const TDataModule&) = delete;

  // Maps the module; false with the loader's message on failure.
  bool Open(const std::string& path, std::string& reason);
  void Close();
  bool IsOpen() const { return fHandle != nullptr; }

 private:
  void* fHandle = nullptr;
};

}  // namespace zel
