#include "Signature.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "AtomicFile.h"
#include "LazyLibrary.h"
#include "UniqueFd.h"

namespace zel {
namespace {

constexpr int kEd25519 = 1087;  // NID_ED25519
constexpr char kPublicTag[] = "zelvaro-ed25519-public";
constexpr char kPrivateTag[] = "zelvaro-ed25519-private";

// The signature functions of OpenSSL's libcrypto.
struct TSigning {
  EVP_PKEY* (*newPrivate)(int, ENGINE*, const unsigned char*, std::size_t);
  EVP_PKEY* (*newPublic)(int, ENGINE*, const unsigned char*, std::size_t);
  int (*rawPublic)(const EVP_PKEY*, unsigned char*, std::size_t*);
  void (*freeKey)(EVP_PKEY*);
  EVP_MD_CTX* (*newCtx)();
  void (*freeCtx)(EVP_MD_CTX*);
  int (*signInit)(EVP_MD_CTX*, EVP_PKEY_CTX**, const EVP_MD*, ENGINE*, EVP_PKEY*);
  int (*sign)(EVP_MD_CTX*, unsigned char*, std::size_t*, const unsigned char*, std::size_t);
  int (*verifyInit)(EVP_MD_CTX*, EVP_PKEY_CTX**, const EVP_MD*, ENGINE*, EVP_PKEY*);
  int (*verify)(EVP_MD_CTX*, const unsigned char*, std::size_t, const unsigned char*, std::size_t);
  int (*random)(unsigned char*, int);
};

bool BindSigning(void* h, TSigning& s) {
  return Bind(h, "EVP_PKEY_new_raw_private_key", s.newPrivate) &&
         Bind(h, "EVP_PKEY_new_raw_public_key", s.newPublic) &&
         Bind(h, "EVP_PKEY_get_raw_public_key", s.rawPublic) &&
         Bind(h, "EVP_PKEY_free", s.freeKey) && Bind(h, "EVP_MD_CTX_new", s.newCtx) &&
         Bind(h, "EVP_MD_CTX_free", s.freeCtx) && Bind(h, "EVP_DigestSignInit", s.signInit) &&
         Bind(h, "EVP_DigestSign", s.sign) && Bind(h, "EVP_DigestVerifyInit", s.verifyInit) &&
         Bind(h, "EVP_DigestVerify", s.verify) && Bind(h, "RAND_bytes", s.random);
}

const TSigning* Signing() { return LoadOnce("libcrypto.so.3", BindSigning); }

struct KeyFree {
  void operator()(EVP_PKEY* k) const { Signing()->freeKey(k); }
};
struct CtxFree {
  void operator()(EVP_MD_CTX* c) const { Signing()->freeCtx(c); }
};
using TKey = std::unique_ptr<EVP_PKEY, KeyFree>;
using TCtx = std::unique_ptr<EVP_MD_CTX, CtxFree>;

// The first line of a small key file: its tag and hex text.
bool KeyLine(const std::string& path, const char* tag, std::string& hex, std::string& reason) {
  std::ifstream in(path);
  std::string line;
  if (!in || !std::getline(in, line)) {
    reason = "Die Schlüsseldatei " + path + " kann nicht gelesen werden";
    return false;
  }
  const std::string prefix = std::string(tag) + " ";
  if (line.rfind(prefix, 0) != 0 || line.size() < prefix.size() + 64) {
    reason = "Die Datei " + path + " ist keine Zelvaro-Schlüsseldatei (" + tag + ")";
    return false;
  }
  hex = line.substr(prefix.size(), 64);
  return true;
}

// The key of the line tagged `tag` in a key file.
template <std::size_t N>
bool ReadKeyFile(const std::string& path, const char* tag, std::array<unsigned char, N>& key,
                 std::string& reason) {
  std::string hex;
  if (!KeyLine(path, tag, hex, reason)) return false;
  if (FromHex(hex, key.data(), key.size())) return true;
  reason = "Die Schlüsseldatei " + path + " enthält keinen Schlüssel";
  return false;
}

}  // namespace

bool SignaturesAvailable() { return Signing() != nullptr; }

std::string Hex(const unsigned char* bytes, std::size_t size) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string s;
  for (std::size_t i = 0; i < size; ++i) {
    s += kHex[bytes[i] >> 4];
    s += kHex[bytes[i] & 15];
  }
  return s;
}

bool FromHex(std::string_view hex, unsigned char* bytes, std::size_t size) {
  if (hex.size() != 2 * size) return false;
  const auto nibble = [](char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
  };
  for (std::size_t i = 0; i < size; ++i) {
    const int hi = nibble(hex[2 * i]), lo = nibble(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes[i] = static_cast<unsigned char>(hi * 16 + lo);
  }
  return true;
}

bool PublicKeyOf(const TPrivateKey& privateKey, TPublicKey& publicKey) {
  const TSigning* s = Signing();
  if (!s) return false;
  const TKey key(s->newPrivate(kEd25519, nullptr, privateKey.data(), privateKey.size()));
  std::size_t len = publicKey.size();
  return key && s->rawPublic(key.get(), publicKey.data(), &len) == 1 && len == publicKey.size();
}

bool GenerateKeyPair(TPrivateKey& privateKey, TPublicKey& publicKey) {
  const TSigning* s = Signing();
  return s && s->random(privateKey.data(), static_cast<int>(privateKey.size())) == 1 &&
         PublicKeyOf(privateKey, publicKey);
}

bool SignBytes(const TPrivateKey& privateKey, std::string_view message, TSignature& signature) {
  const TSigning* s = Signing();
  if (!s) return false;
  const TKey key(s->newPrivate(kEd25519, nullptr, privateKey.data(), privateKey.size()));
  const TCtx ctx(s->newCtx());
  std::size_t len = signature.size();
  return key && ctx && s->signInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) == 1 &&
         s->sign(ctx.get(), signature.data(), &len,
                 reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1 &&
         len == signature.size();
}

bool VerifyBytes(const TPublicKey& publicKey, std::string_view message,
                 const TSignature& signature) {
  const TSigning* s = Signing();
  if (!s) return false;
  const TKey key(s->newPublic(kEd25519, nullptr, publicKey.data(), publicKey.size()));
  const TCtx ctx(s->newCtx());
  return key && ctx && s->verifyInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) == 1 &&
         s->verify(ctx.get(), signature.data(), signature.size(),
                   reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
}

std::string DataFileStatement(const std::string& fileName, const TSha256Digest& digest) {
  return "ZELVARO-DATA-FILE-1\n" + fileName + "\n" + HexOf(digest) + "\n";
}

std::string SignatureFileOf(const std::string& dataFile) { return dataFile + ".sig"; }

bool ReadPublicKeyFile(const std::string& path, TPublicKey& key, std::string& reason) {
  return ReadKeyFile(path, kPublicTag, key, reason);
}

bool ReadPrivateKeyFile(const std::string& path, TPrivateKey& key, std::string& reason) {
  return ReadKeyFile(path, kPrivateTag, key, reason);
}

bool WriteKeyPair(const std::string& path, std::string& reason) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::exists(fs::symlink_status(path, ec)) ||
      fs::exists(fs::symlink_status(path + ".pub", ec))) {
    reason = "Die Schlüsseldatei " + path + " (oder .pub) ist bereits vorhanden";
    return false;
  }
  TPrivateKey privateKey;
  TPublicKey publicKey;
  if (!GenerateKeyPair(privateKey, publicKey)) {
    reason = "OpenSSL (libcrypto.so.3) fehlt oder kann keinen Schlüssel erzeugen";
    return false;
  }
  const std::string comment = fs::path(path).filename().string();
  return WriteFileAtomically(
             path,
             std::string(kPrivateTag) + " " + Hex(privateKey.data(), privateKey.size()) + "\n",
             reason, 0600) &&
         WriteFileAtomically(path + ".pub",
                             std::string(kPublicTag) + " " +
                                 Hex(publicKey.data(), publicKey.size()) + " " + comment + "\n",
                             reason, 0644);
}

bool SignDataFile(const std::string& dataFile, const std::string& keyFile, std::string& reason) {
  TPrivateKey key;
  if (!ReadPrivateKeyFile(keyFile, key, reason)) return false;
  const TUniqueFd f{::open(dataFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW)};
  TSha256Digest digest;
  if (f.fd < 0 || !Sha256OfFile(f.fd, digest)) {
    reason = "Die Datei " + dataFile + " kann nicht gelesen werden: " + std::strerror(errno);
    return false;
  }
  TSignature signature;
  const std::string name = std::filesystem::path(dataFile).filename().string();
  if (!SignBytes(key, DataFileStatement(name, digest), signature)) {
    reason = "OpenSSL (libcrypto.so.3) fehlt oder kann nicht signieren";
    return false;
  }
  return RecordDigest(dataFile, digest, reason) &&
         WriteFileAtomically(SignatureFileOf(dataFile),
                             Hex(signature.data(), signature.size()) + "\n", reason, 0644);
}

}  // namespace zel
