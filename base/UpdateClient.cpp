#include "UpdateClient.h"

#include <curl/curl.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "Cp1252.h"
#include "PackedFile.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

struct CurlGlobal {
  CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  ~CurlGlobal() { curl_global_cleanup(); }
};

struct CurlDeleter {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};

struct Response {
  CURLcode code = CURLE_OK;
  long status = 0;
  std::string body;
};

std::size_t Collect(char* data, std::size_t size, std::size_t n, void* user) {
  static_cast<std::string*>(user)->append(data, size * n);
  return size * n;
}

Response Get(const TUpdateSettings& s, const std::string& path, const std::string& user,
             const std::string& password) {
  static CurlGlobal global;
  Response r;
  std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
  if (!curl) {
    r.code = CURLE_FAILED_INIT;
    return r;
  }
  std::string url = s.url;
  if (url.empty() || url.back() != '/') url += '/';
  url += path;
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
  curl_easy_setopt(c, CURLOPT_USERNAME, user.c_str());
  curl_easy_setopt(c, CURLOPT_PASSWORD, password.c_str());
  curl_easy_setopt(c, CURLOPT_TIMEOUT,
                   static_cast<long>(s.timeoutSeconds > 0 ? s.timeoutSeconds : 30));
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(c, CURLOPT_MAXREDIRS, 3L);
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  if (!s.proxyHost.empty() && s.proxyPort != 0) {
    curl_easy_setopt(c, CURLOPT_PROXY, s.proxyHost.c_str());
    curl_easy_setopt(c, CURLOPT_PROXYPORT, static_cast<long>(s.proxyPort));
  } else {
    curl_easy_setopt(c, CURLOPT_PROXY, "");  // no proxy from the environment either
  }
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &r.body);
  r.code = curl_easy_perform(c);
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &r.status);
  return r;
}

// The reason of a failed exchange, or empty when the server answered 200.
std::string Failure(const Response& r) {
  switch (r.code) {
    case CURLE_OK: break;
    case CURLE_OPERATION_TIMEDOUT: return "Der Server hat nicht rechtzeitig geantwortet";
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return "Verbindung zum Server konnte nicht hergestellt werden";
    default:
      return "Fehler bei der Verbindung zum Server: " + std::string(curl_easy_strerror(r.code));
  }
  if (r.status == 401) return "Benutzername oder Kennwort ist falsch";
  if (r.status == 404) return "Auf dem Server liegt keine Datendatei vor";
  if (r.status != 200) return "Der Server meldet den Fehler " + std::to_string(r.status);
  return {};
}

std::string FirstLine(const std::string& body) {
  std::string line = body.substr(0, body.find_first_of("\r\n"));
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

}  // namespace

std::string UpdateCheck(const TUpdateSettings& s, const std::string& user,
                        const std::string& password) {
  if (s.url.empty()) return "-Es ist kein Update-Server eingestellt";
  const Response r = Get(s, "newest", user, password);
  if (std::string why = Failure(r); !why.empty()) return "-" + why;
  const std::string line = FirstLine(r.body);
  if (!line.empty() && line[0] == '-') return line;  // the server's own reason
  if (IsPlainFileName(line) && fs::path(line).extension() == ".wbp") return "+" + line;
  return Utf8ToCp1252("-Server lieferte keine auswertbaren Daten zurück");
}

std::string UpdateDownload(const TUpdateSettings& s, const std::string& user,
                           const std::string& password, const std::string& directory) {
  const std::string answer = UpdateCheck(s, user, password);
  if (answer.empty() || answer[0] != '+') return answer;
  const std::string name = answer.substr(1);
  const Response r = Get(s, "files/" + name, user, password);
  if (std::string why = Failure(r); !why.empty()) return "-" + why;
  std::string reason;
  if (!WriteFileAtomically((fs::path(directory) / name).string(), r.body, reason))
    return "-" + reason;
  return "+" + name;
}

}  // namespace zel
