// One HTTP(S) exchange over libcurl (loaded when first needed): a GET or a
// form POST, with an optional proxy, basic authentication and a time-out,
// the body handed to a sink that may refuse more (a cap ends the transfer).
// Certificates are checked; redirects stay on http and https.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ZelExport.h"

namespace zel {

struct THttpRequest {
  std::string url;
  std::vector<std::pair<std::string, std::string>> form;  // POST fields when not empty
  std::string user, password;                             // basic authentication when set
  std::string proxyHost;                                  // with proxyPort != 0
  int proxyPort = 0;
  long timeoutMs = 30000;  // the whole exchange; 0 = 30 s
};

class ZELBASE_API THttpSink {
 public:
  virtual ~THttpSink();
  // False refuses the data and ends the transfer.
  virtual bool Take(const char* data, std::size_t n) = 0;
};

// The body as text, at most `cap` bytes.
class ZELBASE_API THttpTextSink : public THttpSink {
 public:
  explicit THttpTextSink(std::size_t cap) : fCap(cap) {}
  bool Take(const char* data, std::size_t n) override;
  std::string text;

 private:
  std::size_t fCap;
};

struct THttpResponse {
  int curlCode = 0;  // CURLcode
  long status = 0;   // HTTP status
};

ZELBASE_API THttpResponse HttpTransfer(const THttpRequest& request, THttpSink& sink);
// The reason of a failed transfer (code page 1252), empty when it went
// through (whatever the status).
ZELBASE_API std::string HttpTransferFailure(const THttpResponse& r);
// The form encoding of the fields, in their order ("a=1&b=x%21").
ZELBASE_API std::string HttpFormBody(const std::vector<std::pair<std::string, std::string>>& form);

}  // namespace zel
