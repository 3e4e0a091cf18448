#include "Sha256.h"

#include <openssl/evp.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "AtomicFile.h"

namespace zel {

struct TSha256::Context {
  struct Free {
    void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
  };
  std::unique_ptr<EVP_MD_CTX, Free> md{EVP_MD_CTX_new()};
};

TSha256::TSha256() : fContext(std::make_unique<Context>()) {
  EVP_DigestInit_ex(fContext->md.get(), EVP_sha256(), nullptr);
}

TSha256::~TSha256() = default;

void TSha256::Update(const void* data, std::size_t size) {
  EVP_DigestUpdate(fContext->md.get(), data, size);
}

TSha256Digest TSha256::Final() {
  TSha256Digest d{};
  unsigned int len = 0;
  EVP_DigestFinal_ex(fContext->md.get(), d.data(), &len);
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
  return WriteFileAtomically(DigestFileOf(dataFile), HexOf(digest) + "  " + name + "\n", reason);
}

}  // namespace zel
