#include "PackedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
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
#include "DataModule.h"
#include "LazyLibrary.h"
#include "Sha256.h"
#include "Signature.h"
#include "UniqueFd.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

// Version 2 carries the data file's signature; version 1 files (without)
// are refused.
constexpr char kMagic[8] = {'Z', 'E', 'L', 'W', 'B', 'P', 2, 0};
constexpr char kMagicUnsigned[8] = {'Z', 'E', 'L', 'W', 'B', 'P', 1, 0};
constexpr std::uint64_t kMaxDataFile = 256 << 20;  // far above any real data file
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

// libzstd, loaded when a packed file is made or unpacked.
struct TZstd {
  std::size_t (*compressBound)(std::size_t);
  std::size_t (*compress)(void*, std::size_t, const void*, std::size_t, int);
  unsigned (*isError)(std::size_t);
  const char* (*getErrorName)(std::size_t);
  ZSTD_DCtx* (*createDCtx)();
  std::size_t (*freeDCtx)(ZSTD_DCtx*);
  std::size_t (*dStreamInSize)();
  std::size_t (*dStreamOutSize)();
  std::size_t (*decompressStream)(ZSTD_DCtx*, ZSTD_outBuffer*, ZSTD_inBuffer*);
};

bool BindZstd(void* h, TZstd& z) {
  return Bind(h, "ZSTD_compressBound", z.compressBound) && Bind(h, "ZSTD_compress", z.compress) &&
         Bind(h, "ZSTD_isError", z.isError) && Bind(h, "ZSTD_getErrorName", z.getErrorName) &&
         Bind(h, "ZSTD_createDCtx", z.createDCtx) && Bind(h, "ZSTD_freeDCtx", z.freeDCtx) &&
         Bind(h, "ZSTD_DStreamInSize", z.dStreamInSize) &&
         Bind(h, "ZSTD_DStreamOutSize", z.dStreamOutSize) &&
         Bind(h, "ZSTD_decompressStream", z.decompressStream);
}

const TZstd* Zstd() { return LoadOnce("libzstd.so.1", BindZstd); }

constexpr const char* kNoZstd = "Die Bibliothek libzstd.so.1 fehlt.";

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
  const std::string name = fs::path(wbdPath).filename().string();
  if (!IsDataFileName(name)) {
    reason = "Der Name " + name + " hat nicht die Form ZelObjects_JJJJ_Q.wbd.";
    return false;
  }
  if (!IsSafeOutputTarget(wbpPath, wbdPath, reason)) return false;
  if (!TSha256::Available()) {
    reason = "OpenSSL (libcrypto.so.3) fehlt: die Prüfsumme kann nicht berechnet werden.";
    return false;
  }
  std::string data, signatureHex;
  if (!ReadFile(wbdPath, data)) {
    reason = "Die Datei " + wbdPath + " kann nicht gelesen werden.";
    return false;
  }
  TSignature signature;
  if (!ReadFile(SignatureFileOf(wbdPath), signatureHex) ||
      !FromHex(std::string_view(signatureHex).substr(0, 128), signature.data(), signature.size())) {
    reason = "Die Datei " + wbdPath + " ist nicht signiert (zel data sign).";
    return false;
  }
  const TZstd* z = Zstd();
  if (!z) {
    reason = kNoZstd;
    return false;
  }
  std::string packed(z->compressBound(data.size()), '\0');
  const std::size_t n = z->compress(packed.data(), packed.size(), data.data(), data.size(), 19);
  if (z->isError(n)) {
    reason = z->getErrorName(n);
    return false;
  }
  packed.resize(n);
  std::string out(kMagic, sizeof kMagic);
  Put(out, static_cast<std::uint64_t>(data.size()));
  const TSha256Digest d = Sha256Of(data);
  out.append(reinterpret_cast<const char*>(d.data()), d.size());
  out.append(reinterpret_cast<const char*>(signature.data()), signature.size());
  Put(out, static_cast<std::uint16_t>(name.size()));
  out += name;
  Put(out, static_cast<std::uint64_t>(packed.size()));
  out += packed;
  return WriteFileAtomically(fs::absolute(wbpPath).string(), out, reason);
}

namespace {

struct DCtxFree {
  void operator()(ZSTD_DCtx* d) const { Zstd()->freeDCtx(d); }
};

}  // namespace

bool ParsePackedHeader(std::string_view head, TPackedHeader& h) {
  auto take = [&](void* out, std::size_t n) {
    if (head.size() < n) return false;
    std::memcpy(out, head.data(), n);
    head.remove_prefix(n);
    return true;
  };
  char magic[8];
  std::uint16_t nameLen = 0;
  if (!take(magic, 8) || std::memcmp(magic, kMagic, 8) != 0 || !take(&h.size, 8) ||
      !take(h.digest.data(), h.digest.size()) || !take(h.signature.data(), h.signature.size()) ||
      !take(&nameLen, 2) || nameLen > 255)
    return false;
  h.name.resize(nameLen);
  return take(h.name.data(), nameLen) && take(&h.packedSize, 8) && IsDataFileName(h.name) &&
         h.size <= kMaxDataFile;
}

std::size_t PackedHeaderSize(const TPackedHeader& h) {
  return 8 + 8 + 32 + 64 + 2 + h.name.size() + 8;
}

bool IsUnsignedPackedFile(std::string_view head) {
  return head.size() >= 8 && std::memcmp(head.data(), kMagicUnsigned, 8) == 0;
}

int UnpackDataFile(const std::string& wbpPath, const std::string& directory,
                   std::string& unpackedName, std::string& reason) {
  const TUniqueFd in{::open(wbpPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)};
  struct stat st;
  if (in.fd < 0 || ::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    reason = Utf8ToCp1252("Die Datei " + wbpPath + " kann nicht geöffnet werden.");
    return 3;
  }
  TPackedHeader h;
  char head[kMaxPackedHeader];
  const ssize_t got = ::pread(in.fd, head, sizeof head, 0);
  if (got >= 0 && IsUnsignedPackedFile(std::string_view(head, static_cast<std::size_t>(got)))) {
    reason = Utf8ToCp1252("Die gepackte Datei ist nicht signiert und wird nicht entpackt.");
    return 13;
  }
  if (got < 0 || !ParsePackedHeader(std::string_view(head, static_cast<std::size_t>(got)), h) ||
      h.packedSize != static_cast<std::uint64_t>(st.st_size) - PackedHeaderSize(h) ||
      ::lseek(in.fd, static_cast<off_t>(PackedHeaderSize(h)), SEEK_SET) < 0) {
    reason = Utf8ToCp1252(
        "Der Kopf der gepackten Datei ist fehlerhaft, die Datei unvollständig oder keine "
        "gepackte Zelvaro-Datendatei.");
    return 13;
  }
  unpackedName = h.name;
  // Nothing is written under a data file's name before its signature holds.
  if (!VerifyDataFileSignature(h.name, h.digest, h.signature, reason)) return 13;
  const fs::path target = fs::path(directory) / unpackedName;
  if (fs::exists(fs::symlink_status(target))) {
    reason = "Die Datei " + unpackedName + " ist bereits vorhanden.";
    return 5;
  }
  // Decompressed in pieces straight into the temporary file: memory stays
  // flat whatever the header or the compressed data claim.
  if (!TSha256::Available()) {
    reason = "OpenSSL (libcrypto.so.3) fehlt: die Prüfsumme kann nicht berechnet werden.";
    return 3;
  }
  const TZstd* z = Zstd();
  if (!z) {
    reason = kNoZstd;
    return 3;
  }
  std::unique_ptr<ZSTD_DCtx, DCtxFree> dctx(z->createDCtx());
  TAtomicFile out(target.string(), 0644);  // a data file every user may read
  if (!dctx || !out.Open(reason)) return 3;
  TSha256 hash;
  std::vector<char> inBuf(z->dStreamInSize()), outBuf(z->dStreamOutSize());
  std::uint64_t total = 0;
  std::size_t last = 1;
  for (;;) {
    const ssize_t n = ::read(in.fd, inBuf.data(), inBuf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      reason = Utf8ToCp1252("Die Datei " + wbpPath + " kann nicht gelesen werden: ") +
               std::strerror(errno);
      return 3;
    }
    if (n == 0) break;
    ZSTD_inBuffer ib{inBuf.data(), static_cast<std::size_t>(n), 0};
    while (ib.pos < ib.size) {
      ZSTD_outBuffer ob{outBuf.data(), outBuf.size(), 0};
      last = z->decompressStream(dctx.get(), &ob, &ib);
      total += ob.pos;
      if (z->isError(last) || total > h.size) {
        reason = Utf8ToCp1252("Der Inhalt der gepackten Datei ist beschädigt.");
        return 13;
      }
      hash.Update(outBuf.data(), ob.pos);
      out.Write(std::string_view(outBuf.data(), ob.pos));
    }
  }
  if (last != 0 || total != h.size || hash.Final() != h.digest) {
    reason = Utf8ToCp1252("Der Inhalt der gepackten Datei ist beschädigt (Prüfsumme falsch).");
    return 13;
  }
  // Digest and signature first: a data file never appears without them.
  if (!RecordDigest(target.string(), h.digest, reason) ||
      !WriteFileAtomically(SignatureFileOf(target.string()),
                           Hex(h.signature.data(), h.signature.size()) + "\n", reason, 0644) ||
      !out.Commit(reason))
    return 3;
  return 0;
}

}  // namespace zel
