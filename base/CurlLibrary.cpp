#include "CurlLibrary.h"

#include "LazyLibrary.h"

namespace zel {
namespace {

// Stays loaded for the life of the process, like a linked library.
const TCurlLibrary* Load() {
  static TCurlLibrary lib;
  void* h = OpenLibrary("libcurl.so.4");
  if (!h) return nullptr;
  CURLcode (*globalInit)(long) = nullptr;
  if (!Bind(h, "curl_easy_init", lib.easy_init) || !Bind(h, "curl_easy_setopt", lib.easy_setopt) ||
      !Bind(h, "curl_easy_perform", lib.easy_perform) ||
      !Bind(h, "curl_easy_getinfo", lib.easy_getinfo) ||
      !Bind(h, "curl_easy_cleanup", lib.easy_cleanup) ||
      !Bind(h, "curl_easy_strerror", lib.easy_strerror) ||
      !Bind(h, "curl_easy_escape", lib.easy_escape) || !Bind(h, "curl_free", lib.free) ||
      !Bind(h, "curl_global_init", globalInit) || globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
    ::dlclose(h);
    return nullptr;
  }
  return &lib;
}

}  // namespace

const TCurlLibrary* TCurlLibrary::Get() {
  static const TCurlLibrary* const lib = Load();
  return lib;
}

}  // namespace zel
