// A module such as an attacker would plant: it carries the data-file mark
// and, the moment it is loaded, leaves a file where ZEL_PLANTED_MARKER says.
// It must never be loaded.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "ZelBaseObject.h"

extern "C" {
extern __attribute__((visibility("default"), used)) const std::uint32_t ZelDataModuleInterface =
    zel::kZelInterfaceVersion;
}

namespace {

__attribute__((constructor)) void Planted() {
  if (const char* marker = std::getenv("ZEL_PLANTED_MARKER"))
    if (std::FILE* f = std::fopen(marker, "w")) std::fclose(f);
}

}  // namespace
