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

// The function table of a library, filled by bind on first use and kept
// for the life of the process; nullptr when the library or one of its
// functions is missing (the library is then closed again). One table per
// type: later calls return the first answer.
template <class Api>
const Api* LoadOnce(const char* soname, bool (*bind)(void* library, Api& api)) {
  static const Api* const loaded = [&]() -> const Api* {
    static Api api;
    void* h = OpenLibrary(soname);
    if (h && bind(h, api)) return &api;
    if (h) ::dlclose(h);
    return nullptr;
  }();
  return loaded;
}

}  // namespace zel
