#include "Sha256.h"

#include <openssl/evp.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "AtomicFile.h"
#include "LazyLibrary.h"

namespace zel {

namespace {

// The digest functions of OpenSSL's libcrypto.
struct TCrypto {
  EVP_MD_CTX* (*ctx_new)();
  void (*ctx_free)(EVP_MD_CTX*);
  const EVP_MD* (*sha256)();
  int (*init)(EVP_MD_CTX*, const EVP_MD*, ENGINE*);
  int (*update)(EVP_MD_CTX*, const void*, std::size_t);
  int (*final)(EVP_MD_CTX*, unsigned char*, unsigned int*);
};

bool BindCrypto(void* h, TCrypto& c) {
  return Bind(h, "EVP_MD_CTX_new", c.ctx_new) && Bind(h, "EVP_MD_CTX_free", c.ctx_free) &&
         Bind(h, "EVP_sha256", c.sha256) && Bind(h, "EVP_DigestInit_ex", c.init) &&
         Bind(h, "EVP_DigestUpdate", c.update) && Bind(h, "EVP_DigestFinal_ex", c.final);
}

const TCrypto* Crypto() { return LoadOnce("libcrypto.so.3", BindCrypto); }

}  // namespace

bool TSha256::Available() { return Crypto() != nullptr; }

// Without libcrypto every digest is all zeros, which no recorded digest is.
struct TSha256::Context {
  struct Free {
    void operator()(EVP_MD_CTX* c) const { Crypto()->ctx_free(c); }
  };
  std::unique_ptr<EVP_MD_CTX, Free> md{Crypto() ? Crypto()->ctx_new() : nullptr};
};

TSha256::TSha256() : fContext(std::make_unique<Context>()) {
  if (fContext->md) Crypto()->init(fContext->md.get(), Crypto()->sha256(), nullptr);
}

TSha256::~TSha256() = default;

void TSha256::Update(const void* data, std::size_t size) {
  if (fContext->md) Crypto()->update(fContext->md.get(), data, size);
}

TSha256Digest TSha256::Final() {
  TSha256Digest d{};
  unsigned int len = 0;
  if (fContext->md) Crypto()->final(fContext->md.get(), d.data(), &len);
  return d;
}

TSha256Digest Sha256Of(std::string_view bytes) {
  TSha256 h;
  h.Update(bytes.data(), bytes.size());
  return h.Final();
}

std::string HexOf(const TSha256Digest& digest) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string s;
  for (unsigned char b : digest) {
    s += kHex[b >> 4];
    s += kHex[b & 15];
  }
  return s;
}

bool Sha256OfFile(int fd, TSha256Digest& digest) {
  if (!TSha256::Available()) {
    errno = ELIBACC;
    return false;
  }
  TSha256 h;
  std::vector<char> buf(1 << 20);
  for (off_t at = 0;;) {
    const ssize_t n = ::pread(fd, buf.data(), buf.size(), at);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    h.Update(buf.data(), static_cast<std::size_t>(n));
    at += n;
  }
  digest = h.Final();
  return true;
}

std::string DigestFileOf(const std::string& dataFile) { return dataFile + ".sha256"; }

bool RecordDigest(const std::string& dataFile, const TSha256Digest& digest, std::string& reason) {
  const std::string name = std::filesystem::path(dataFile).filename().string();
  return WriteFileAtomically(DigestFileOf(dataFile), HexOf(digest) + "  " + name + "\n", reason,
                             0644);
}

}  // namespace zel
