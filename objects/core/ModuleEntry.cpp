// The mark of a data module: the interface version that the base package
// reads from the file before it loads the module.

#include <cstdint>

#include "ZelBaseObject.h"

extern "C" {
extern __attribute__((visibility("default"), used)) const std::uint32_t ZelDataModuleInterface =
    zel::kZelInterfaceVersion;
}
