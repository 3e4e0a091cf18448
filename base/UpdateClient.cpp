#include "UpdateClient.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>

#include "AtomicFile.h"
#include "Cp1252.h"
#include "CurlLibrary.h"
#include "DataModule.h"
#include "PackedFile.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

struct CurlDeleter {
  const TCurlLibrary* lib;
  void operator()(CURL* c) const { lib->easy_cleanup(c); }
};

// Where a response body goes: a text for short answers, or a file. Each
// sink takes at most `cap` bytes; more ends the transfer.
struct Sink {
  virtual ~Sink() = default;
  virtual bool Take(const char* data, std::size_t n) = 0;
};

struct TextSink : Sink {
  explicit TextSink(std::size_t cap) : fCap(cap) {}
  bool Take(const char* data, std::size_t n) override {
    if (n > fCap - text.size()) return false;
    text.append(data, n);
    return true;
  }
  std::string text;

 private:
  std::size_t fCap;
};

// A packed file on its way into the data directory: the body goes straight
// into a temporary file, its first bytes are kept for the header check.
struct PackedSink : Sink {
  PackedSink(TAtomicFile& file, std::uint64_t cap) : fFile(file), fCap(cap) {}
  bool Take(const char* data, std::size_t n) override {
    if (n > fCap - size) return false;
    if (head.size() < kMaxPackedHeader)
      head.append(data, std::min(n, kMaxPackedHeader - head.size()));
    fFile.Write(std::string_view(data, n));
    size += n;
    return true;
  }
  std::string head;
  std::uint64_t size = 0;

 private:
  TAtomicFile& fFile;
  std::uint64_t fCap;
};

struct Response {
  CURLcode code = CURLE_OK;
  long status = 0;
};

// libcurl's write callback: nothing may be thrown through it.
std::size_t Collect(char* data, std::size_t size, std::size_t n, void* user) noexcept {
  try {
    return static_cast<Sink*>(user)->Take(data, size * n) ? size * n : 0;
  } catch (...) {
    return 0;  // ends the transfer with CURLE_WRITE_ERROR
  }
}

Response Get(const TUpdateSettings& s, const std::string& path, const std::string& user,
             const std::string& password, Sink& sink) {
  Response r;
  const TCurlLibrary* lib = TCurlLibrary::Get();
  if (!lib) {
    r.code = CURLE_FAILED_INIT;
    return r;
  }
  std::unique_ptr<CURL, CurlDeleter> curl(lib->easy_init(), CurlDeleter{lib});
  if (!curl) {
    r.code = CURLE_FAILED_INIT;
    return r;
  }
  std::string url = s.url;
  if (url.empty() || url.back() != '/') url += '/';
  url += path;
  CURL* c = curl.get();
  lib->easy_setopt(c, CURLOPT_URL, url.c_str());
  lib->easy_setopt(c, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
  lib->easy_setopt(c, CURLOPT_USERNAME, user.c_str());
  lib->easy_setopt(c, CURLOPT_PASSWORD, password.c_str());
  lib->easy_setopt(c, CURLOPT_TIMEOUT,
                   static_cast<long>(s.timeoutSeconds > 0 ? s.timeoutSeconds : 30));
  lib->easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  lib->easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  lib->easy_setopt(c, CURLOPT_MAXREDIRS, 3L);
  lib->easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  lib->easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  if (!s.proxyHost.empty() && s.proxyPort != 0) {
    lib->easy_setopt(c, CURLOPT_PROXY, s.proxyHost.c_str());
    lib->easy_setopt(c, CURLOPT_PROXYPORT, static_cast<long>(s.proxyPort));
  } else {
    lib->easy_setopt(c, CURLOPT_PROXY, "");  // no proxy from the environment either
  }
  lib->easy_setopt(c, CURLOPT_WRITEFUNCTION, Collect);
  lib->easy_setopt(c, CURLOPT_WRITEDATA, static_cast<Sink*>(&sink));
  r.code = lib->easy_perform(c);
  lib->easy_getinfo(c, CURLINFO_RESPONSE_CODE, &r.status);
  return r;
}

// The reason of a failed exchange, or empty when the server answered 200.
std::string Failure(const Response& r) {
  switch (r.code) {
    case CURLE_OK: break;
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
             std::string(TCurlLibrary::Get()->easy_strerror(r.code));
  }
  if (r.status == 401) return "Benutzername oder Kennwort ist falsch";
  if (r.status == 404) return "Auf dem Server liegt keine Datendatei vor";
  if (r.status != 200) return "Der Server meldet den Fehler " + std::to_string(r.status);
  return {};
}

// The first line of an answer, control bytes dropped (the server's reason is
// shown to the user as it stands).
std::string FirstLine(const std::string& body) {
  std::string line;
  for (char ch : body.substr(0, body.find_first_of("\r\n")))
    if (static_cast<unsigned char>(ch) >= 0x20 && ch != 0x7F) line += ch;
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

constexpr std::size_t kMaxAnswer = 4096;         // the answer to "newest": a name or a reason
constexpr std::uint64_t kMaxPacked = 300 << 20;  // a packed data file

}  // namespace

std::string UpdateCheck(const TUpdateSettings& s, const std::string& user,
                        const std::string& password) {
  if (s.url.empty()) return "-Es ist kein Update-Server eingestellt";
  TextSink body(kMaxAnswer);
  const Response r = Get(s, "newest", user, password, body);
  if (std::string why = Failure(r); !why.empty()) return "-" + why;
  const std::string line = FirstLine(body.text);
  if (!line.empty() && line[0] == '-') return line;  // the server's own reason
  if (IsPlainFileName(line) && fs::path(line).extension() == ".wbp" &&
      IsDataFileName(fs::path(line).replace_extension(".wbd").string()))
    return "+" + line;
  return Utf8ToCp1252("-Server lieferte keine auswertbaren Daten zurück");
}

std::string UpdateDownload(const TUpdateSettings& s, const std::string& user,
                           const std::string& password, const std::string& directory) {
  const std::string answer = UpdateCheck(s, user, password);
  if (answer.empty() || answer[0] != '+') return answer;
  const std::string name = answer.substr(1);
  // The old file stays until the new one has come completely and carries
  // the header of a packed data file.
  TAtomicFile file((fs::path(directory) / name).string());
  std::string reason;
  if (!file.Open(reason)) return "-" + reason;
  PackedSink body(file, kMaxPacked);
  const Response r = Get(s, "files/" + name, user, password, body);
  if (std::string why = Failure(r); !why.empty()) return "-" + why;
  TPackedHeader h;
  if (!ParsePackedHeader(body.head, h) || h.packedSize != body.size - PackedHeaderSize(h))
    return Utf8ToCp1252("-Der Server lieferte keine gepackte Datendatei");
  if (!file.Commit(reason)) return "-" + reason;
  return "+" + name;
}

}  // namespace zel
