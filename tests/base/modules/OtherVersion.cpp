// A module that looks like a data module of another interface version.
#include <cstdint>

extern "C" {
extern __attribute__((visibility("default"), used)) const std::uint32_t ZelDataModuleInterface = 99;
}
