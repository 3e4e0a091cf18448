// A module with the right mark that the loader refuses: it needs a function
// that nothing provides.
#include <cstdint>

#include "ZelBaseObject.h"

extern "C" void zel_test_function_nobody_has();

extern "C" {
extern __attribute__((visibility("default"), used)) const std::uint32_t ZelDataModuleInterface =
    zel::kZelInterfaceVersion;
__attribute__((visibility("default"))) void zel_test_call() { zel_test_function_nobody_has(); }
}
