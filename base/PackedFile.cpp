#include "PackedFile.h"

#include <openssl/evp.h>
#include <unistd.h>
#include <zstd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "AtomicFile.h"
#include "Cp1252.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

constexpr char kMagic[8] = {'Z', 'E', 'L', 'W', 'B', 'P', 1, 0};
constexpr std::uint64_t kMaxDataFile = 1ULL << 30;  // far above any real data file
using Digest = std::array<unsigned char, 32>;

Digest Sha256(const std::string& bytes) {
  Digest d{};
  unsigned int len = 0;
  EVP_Digest(bytes.data(), bytes.size(), d.data(), &len, EVP_sha256(), nullptr);
  return d;
}

bool ReadFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size < 0) return false;
  out.resize(static_cast<std::size_t>(size));
  in.seekg(0);
  in.read(out.data(), size);
  return static_cast<bool>(in) || size == 0;
}

template <typename T>
void Put(std::string& out, const T& v) {
  out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

// Reads the packed file's fields in order, refusing to run past its end.
class Reader {
 public:
  explicit Reader(const std::string& bytes) : fBytes(bytes) {}
  bool Take(void* out, std::size_t n) {
    if (n > fBytes.size() - fPos) return false;
    std::memcpy(out, fBytes.data() + fPos, n);
    fPos += n;
    return true;
  }
  std::size_t Left() const { return fBytes.size() - fPos; }
  const char* Here() const { return fBytes.data() + fPos; }

 private:
  const std::string& fBytes;
  std::size_t fPos = 0;
};

}  // namespace

bool IsPlainFileName(const std::string& name) {
  if (name.empty() || name.size() > 255 || name == "." || name == "..") return false;
  for (char c : name)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
          c == '-' || c == '.'))
      return false;
  return name[0] != '.';
}

bool PackDataFile(const std::string& wbdPath, const std::string& wbpPath, std::string& reason) {
  std::string data;
  if (!ReadFile(wbdPath, data)) {
    reason = "Die Datei " + wbdPath + " kann nicht gelesen werden.";
    return false;
  }
  const std::string name = fs::path(wbdPath).filename().string();
  std::string packed(ZSTD_compressBound(data.size()), '\0');
  const std::size_t n = ZSTD_compress(packed.data(), packed.size(), data.data(), data.size(), 19);
  if (ZSTD_isError(n)) {
    reason = ZSTD_getErrorName(n);
    return false;
  }
  packed.resize(n);
  std::string out(kMagic, sizeof kMagic);
  Put(out, static_cast<std::uint64_t>(data.size()));
  const Digest d = Sha256(data);
  out.append(reinterpret_cast<const char*>(d.data()), d.size());
  Put(out, static_cast<std::uint16_t>(name.size()));
  out += name;
  Put(out, static_cast<std::uint64_t>(packed.size()));
  out += packed;
  return WriteFileAtomically(fs::absolute(wbpPath).string(), out, reason);
}

int UnpackDataFile(const std::string& wbpPath, const std::string& directory,
                   std::string& unpackedName, std::string& reason) {
  std::string bytes;
  if (!ReadFile(wbpPath, bytes)) {
    reason = Utf8ToCp1252("Die Datei " + wbpPath + " kann nicht geöffnet werden.");
    return 3;
  }
  Reader r(bytes);
  char magic[8];
  std::uint64_t size = 0, packedSize = 0;
  Digest digest{};
  std::uint16_t nameLen = 0;
  if (!r.Take(magic, 8) || std::memcmp(magic, kMagic, 8) != 0 || !r.Take(&size, 8) ||
      !r.Take(digest.data(), digest.size()) || !r.Take(&nameLen, 2) || nameLen > r.Left()) {
    reason = Utf8ToCp1252("Die Datei ist keine gepackte Zelvaro-Datendatei oder unvollständig.");
    return 13;
  }
  unpackedName.assign(r.Here(), nameLen);
  std::string skip(nameLen, '\0');
  r.Take(skip.data(), nameLen);
  if (!IsPlainFileName(unpackedName) || fs::path(unpackedName).extension() != ".wbd" ||
      !r.Take(&packedSize, 8) || packedSize != r.Left() || size > kMaxDataFile) {
    reason =
        Utf8ToCp1252("Der Kopf der gepackten Datei ist fehlerhaft oder die Datei unvollständig.");
    return 13;
  }
  const fs::path target = fs::path(directory) / unpackedName;
  if (fs::exists(target)) {
    reason = "Die Datei " + unpackedName + " ist bereits vorhanden.";
    return 5;
  }
  std::string data(size, '\0');
  const std::size_t n = ZSTD_decompress(data.data(), data.size(), r.Here(), r.Left());
  if (ZSTD_isError(n) || n != size || Sha256(data) != digest) {
    reason = Utf8ToCp1252("Der Inhalt der gepackten Datei ist beschädigt (Prüfsumme falsch).");
    return 13;
  }
  return WriteFileAtomically(target.string(), data, reason) ? 0 : 3;
}

}  // namespace zel
