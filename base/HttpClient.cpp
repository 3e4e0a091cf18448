#include "HttpClient.h"

#include <memory>

#include "Cp1252.h"
#include "CurlLibrary.h"

namespace zel {
namespace {

struct CurlDeleter {
  const TCurlLibrary* lib;
  void operator()(CURL* c) const { lib->easy_cleanup(c); }
};

// libcurl's write callback: nothing may be thrown through it.
std::size_t Collect(char* data, std::size_t size, std::size_t n, void* user) noexcept {
  try {
    return static_cast<THttpSink*>(user)->Take(data, size * n) ? size * n : 0;
  } catch (...) {
    return 0;  // ends the transfer with CURLE_WRITE_ERROR
  }
}

// Unreserved characters stay, everything else is %XX (libcurl's escaping).
std::string FormEncoded(const TCurlLibrary* lib, CURL* c, const std::string& s) {
  std::unique_ptr<char, void (*)(void*)> e(
      lib->easy_escape(c, s.c_str(), static_cast<int>(s.size())), lib->free);
  return e ? std::string(e.get()) : std::string();
}

}  // namespace

THttpSink::~THttpSink() = default;

bool THttpTextSink::Take(const char* data, std::size_t n) {
  if (n > fCap - text.size()) return false;
  text.append(data, n);
  return true;
}

std::string HttpFormBody(const std::vector<std::pair<std::string, std::string>>& form) {
  const TCurlLibrary* lib = TCurlLibrary::Get();
  std::unique_ptr<CURL, CurlDeleter> curl(lib ? lib->easy_init() : nullptr, CurlDeleter{lib});
  std::string body;
  if (!curl) return body;
  for (const auto& [name, value] : form)
    body += (body.empty() ? "" : "&") + FormEncoded(lib, curl.get(), name) + "=" +
            FormEncoded(lib, curl.get(), value);
  return body;
}

THttpResponse HttpTransfer(const THttpRequest& q, THttpSink& sink) {
  THttpResponse r;
  const TCurlLibrary* lib = TCurlLibrary::Get();
  std::unique_ptr<CURL, CurlDeleter> curl(lib ? lib->easy_init() : nullptr, CurlDeleter{lib});
  if (!curl) {
    r.curlCode = CURLE_FAILED_INIT;
    return r;
  }
  CURL* c = curl.get();
  const std::string body = HttpFormBody(q.form);
  lib->easy_setopt(c, CURLOPT_URL, q.url.c_str());
  if (!q.form.empty()) {
    lib->easy_setopt(c, CURLOPT_POSTFIELDS, body.c_str());
    lib->easy_setopt(c, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
  }
  if (!q.user.empty()) {
    lib->easy_setopt(c, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
    lib->easy_setopt(c, CURLOPT_USERNAME, q.user.c_str());
    lib->easy_setopt(c, CURLOPT_PASSWORD, q.password.c_str());
  }
  lib->easy_setopt(c, CURLOPT_TIMEOUT_MS, q.timeoutMs > 0 ? q.timeoutMs : 30000L);
  lib->easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  lib->easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  lib->easy_setopt(c, CURLOPT_MAXREDIRS, 3L);
  lib->easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  // Once on https, a redirect never leads back to plain http.
  const bool secure = q.url.size() >= 8 && (q.url.compare(0, 8, "https://") == 0 ||
                                            q.url.compare(0, 8, "HTTPS://") == 0);
  lib->easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
  if (!q.proxyHost.empty() && q.proxyPort != 0) {
    lib->easy_setopt(c, CURLOPT_PROXY, q.proxyHost.c_str());
    lib->easy_setopt(c, CURLOPT_PROXYPORT, static_cast<long>(q.proxyPort));
  } else {
    lib->easy_setopt(c, CURLOPT_PROXY, "");  // no proxy from the environment either
  }
  lib->easy_setopt(c, CURLOPT_WRITEFUNCTION, Collect);
  lib->easy_setopt(c, CURLOPT_WRITEDATA, static_cast<THttpSink*>(&sink));
  r.curlCode = lib->easy_perform(c);
  lib->easy_getinfo(c, CURLINFO_RESPONSE_CODE, &r.status);
  return r;
}

std::string HttpTransferFailure(const THttpResponse& r) {
  switch (r.curlCode) {
    case CURLE_OK: return {};
    case CURLE_FAILED_INIT:
      return "Die Bibliothek libcurl ist nicht installiert oder nicht nutzbar";
    case CURLE_OPERATION_TIMEDOUT: return "Der Server hat nicht rechtzeitig geantwortet";
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return "Verbindung zum Server konnte nicht hergestellt werden";
    case CURLE_WRITE_ERROR: return Utf8ToCp1252("Die Antwort des Servers ist zu groß");
    default:
      return "Fehler bei der Verbindung zum Server: " +
             std::string(TCurlLibrary::Get()->easy_strerror(static_cast<CURLcode>(r.curlCode)));
  }
}

}  // namespace zel
