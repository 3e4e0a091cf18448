// libcurl, loaded when a transfer first needs it: a plain check never pays
// for the library and the thirty-odd libraries it brings along.
#pragma once

#include <curl/curl.h>

namespace zel {

struct TCurlLibrary {
  CURL* (*easy_init)();
  CURLcode (*easy_setopt)(CURL*, CURLoption, ...);
  CURLcode (*easy_perform)(CURL*);
  CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...);
  void (*easy_cleanup)(CURL*);
  const char* (*easy_strerror)(CURLcode);
  char* (*easy_escape)(CURL*, const char*, int);
  void (*free)(void*);

  // The library, initialised once; nullptr when it is not installed.
  static const TCurlLibrary* Get();
};

}  // namespace zel
