// Libraries that only some operations need (HTTP, hashing) are loaded when
// first used, so a plain check starts without them.
#pragma once

#include <dlfcn.h>

namespace zel {

// Opens a library for the life of the process; nullptr when it is missing.
inline void* OpenLibrary(const char* soname) { return ::dlopen(soname, RTLD_NOW | RTLD_LOCAL); }

// Looks a function up into a typed pointer; false when the library lacks it.
template <typename F>
bool Bind(void* library, const char* name, F& f) {
  f = reinterpret_cast<F>(::dlsym(library, name));
  return f != nullptr;
}

}  // namespace zel
