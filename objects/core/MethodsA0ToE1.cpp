// Check methods A0 to E1 (numbers 100 to 141).

#include "CheckMethods.h"

namespace zel::check {

// Not yet assigned in this release: every number answers "unknown method".
const MethodFn kMethodsA0ToE1[42] = {};

}  // namespace zel::check
