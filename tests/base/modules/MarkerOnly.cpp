// A module that carries the data-file mark but registers no class: loading
// it runs its initialisation, and the package object must not settle for it.
#include <cstdint>

#include "ZelBaseObject.h"

extern "C" {
extern __attribute__((visibility("default"), used)) const std::uint32_t ZelDataModuleInterface =
    zel::kZelInterfaceVersion;
}
