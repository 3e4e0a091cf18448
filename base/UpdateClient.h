// The client of the update server: asks for the newest packed data file and
// fetches it, over HTTP(S) with basic authentication.
//
//   GET <url>/newest        200, body: the file name ("ZelObjects_2026_3.wbp"),
//                           or "-" and a reason the server gives
//   GET <url>/files/<name>  200, body: the packed data file
#pragma once

#include <string>

#include "ZelExport.h"

namespace zel {

struct TUpdateSettings {
  std::string url;  // base address, with or without a trailing "/"
  std::string proxyHost;
  int proxyPort = 0;
  int timeoutSeconds = 30;
  // Credentials over plain http, to a server on this machine only (a test
  // server); never otherwise.
  bool insecureHttp = false;
};

// "+" and the file name, or "-" and a reason. Credentials are never sent
// over plain http:// (see insecureHttp).
ZELBASE_API std::string UpdateCheck(const TUpdateSettings& s, const std::string& user,
                                    const std::string& password);
// Checks, then stores the file in the directory (atomically): "+" and the
// file name, or "-" and a reason.
ZELBASE_API std::string UpdateDownload(const TUpdateSettings& s, const std::string& user,
                                       const std::string& password, const std::string& directory);

}  // namespace zel
