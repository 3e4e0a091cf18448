#include "CurlLibrary.h"

#include "LazyLibrary.h"

namespace zel {
namespace {

// The functions, and the library's one global set-up.
bool BindCurl(void* h, TCurlLibrary& lib) {
  CURLcode (*globalInit)(long) = nullptr;
  return Bind(h, "curl_easy_init", lib.easy_init) && Bind(h, "curl_easy_setopt", lib.easy_setopt) &&
         Bind(h, "curl_easy_perform", lib.easy_perform) &&
         Bind(h, "curl_easy_getinfo", lib.easy_getinfo) &&
         Bind(h, "curl_easy_cleanup", lib.easy_cleanup) &&
         Bind(h, "curl_easy_strerror", lib.easy_strerror) &&
         Bind(h, "curl_easy_escape", lib.easy_escape) && Bind(h, "curl_free", lib.free) &&
         Bind(h, "curl_global_init", globalInit) && globalInit(CURL_GLOBAL_DEFAULT) == CURLE_OK;
}

}  // namespace

// Stays loaded for the life of the process, like a linked library.
const TCurlLibrary* TCurlLibrary::Get() { return LoadOnce("libcurl.so.4", BindCurl); }

}  // namespace zel
