#include "UpdateClient.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <memory>

#include "AtomicFile.h"
#include "Cp1252.h"
#include "DataModule.h"
#include "HttpClient.h"
#include "PackedFile.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

// A packed file on its way into the data directory: the body goes straight
// into a temporary file, its first bytes are kept for the header check.
struct PackedSink : THttpSink {
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

THttpResponse Get(const TUpdateSettings& s, const std::string& path, const std::string& user,
                  const std::string& password, THttpSink& sink) {
  THttpRequest q;
  q.url = s.url;
  if (q.url.empty() || q.url.back() != '/') q.url += '/';
  q.url += path;
  q.user = user;
  q.password = password;
  q.proxyHost = s.proxyHost;
  q.proxyPort = s.proxyPort;
  q.timeoutMs = 1000L * (s.timeoutSeconds > 0 ? s.timeoutSeconds : 30);
  return HttpTransfer(q, sink);
}

// The reason of a failed exchange, or empty when the server answered 200.
std::string Failure(const THttpResponse& r) {
  if (std::string why = HttpTransferFailure(r); !why.empty()) return why;
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

// Whether credentials may go to this address: over https, or over http to
// this machine when that was asked for.
bool SafeForCredentials(const TUpdateSettings& s) {
  std::string url = s.url.substr(0, 8);
  std::transform(url.begin(), url.end(), url.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (url == "https://") return true;
  if (!s.insecureHttp || url.rfind("http://", 0) != 0) return false;
  const std::string rest = s.url.substr(7);
  const std::string host = rest.substr(0, rest.find_first_of(":/"));
  return host == "127.0.0.1" || host == "localhost" || rest.rfind("[::1]", 0) == 0;
}

std::string UpdateCheck(const TUpdateSettings& s, const std::string& user,
                        const std::string& password) {
  if (s.url.empty()) return "-Es ist kein Update-Server eingestellt";
  if ((!user.empty() || !password.empty()) && !SafeForCredentials(s))
    return Utf8ToCp1252(
        "-Benutzername und Kennwort werden nur verschlüsselt (https://) gesendet; die Adresse " +
        s.url + " ist es nicht");
  THttpTextSink body(kMaxAnswer);
  const THttpResponse r = Get(s, "newest", user, password, body);
  if (std::string why = Failure(r); !why.empty()) return "-" + why;
  std::string line = FirstLine(body.text);
  if (IsUtf8(line)) line = Utf8ToCp1252(line);       // a reason in UTF-8 shows as written
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
  const THttpResponse r = Get(s, "files/" + name, user, password, body);
  if (std::string why = Failure(r); !why.empty()) return "-" + why;
  TPackedHeader h;
  if (IsUnsignedPackedFile(body.head))
    return Utf8ToCp1252("-Der Server lieferte eine nicht signierte Datendatei");
  if (!ParsePackedHeader(body.head, h) || h.packedSize != body.size - PackedHeaderSize(h))
    return Utf8ToCp1252("-Der Server lieferte keine gepackte Datendatei");
  // The signature must hold for the name the packed file carries before the
  // file is kept (its content is checked against the digest at unpacking).
  if (!VerifyDataFileSignature(h.name, h.digest, h.signature, reason)) return "-" + reason;
  if (!file.Commit(reason)) return "-" + reason;
  return "+" + name;
}

}  // namespace zel
