// Ed25519 signatures of data files (OpenSSL's libcrypto, loaded when first
// needed). A data file is signed together with its name and its SHA-256, so
// a renamed file (another quarter's name) no longer carries a valid
// signature. Key files are text: "zelvaro-ed25519-public HEX [comment]"
// and "zelvaro-ed25519-private HEX" (the 32-byte seed; mode 0600).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "Sha256.h"
#include "ZelExport.h"

namespace zel {

using TPublicKey = std::array<unsigned char, 32>;
using TPrivateKey = std::array<unsigned char, 32>;  // the seed
using TSignature = std::array<unsigned char, 64>;

// Whether libcrypto could be loaded.
ZELBASE_API bool SignaturesAvailable();
ZELBASE_API bool GenerateKeyPair(TPrivateKey& privateKey, TPublicKey& publicKey);
ZELBASE_API bool PublicKeyOf(const TPrivateKey& privateKey, TPublicKey& publicKey);
ZELBASE_API bool SignBytes(const TPrivateKey& privateKey, std::string_view message,
                           TSignature& signature);
ZELBASE_API bool VerifyBytes(const TPublicKey& publicKey, std::string_view message,
                             const TSignature& signature);

// The statement a data file's signature covers.
ZELBASE_API std::string DataFileStatement(const std::string& fileName, const TSha256Digest& digest);
// The signature file beside a data file ("ZelObjects_2026_2.wbd.sig").
ZELBASE_API std::string SignatureFileOf(const std::string& dataFile);

// Hex text of bytes and back (false when it is not hex of that length).
ZELBASE_API std::string Hex(const unsigned char* bytes, std::size_t size);
ZELBASE_API bool FromHex(std::string_view hex, unsigned char* bytes, std::size_t size);

// Key files; false with the reason (UTF-8).
ZELBASE_API bool ReadPublicKeyFile(const std::string& path, TPublicKey& key, std::string& reason);
ZELBASE_API bool ReadPrivateKeyFile(const std::string& path, TPrivateKey& key, std::string& reason);
// Writes a new key pair: path (private, 0600) and path + ".pub"; false with
// the reason when either exists or cannot be written.
ZELBASE_API bool WriteKeyPair(const std::string& path, std::string& reason);

// Signs a data file with a private key file: writes its digest and its
// signature beside it; false with the reason.
ZELBASE_API bool SignDataFile(const std::string& dataFile, const std::string& keyFile,
                              std::string& reason);

}  // namespace zel
