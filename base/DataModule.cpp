#include "DataModule.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include "AtomicFile.h"
#include "BuiltinKeys.h"
#include "Cp1252.h"
#include "Sha256.h"
#include "Signature.h"
#include "UniqueFd.h"

namespace zel {
namespace {

constexpr const char* kEntrySymbol = "ZelDataModuleInterface";

#if defined(__x86_64__)
constexpr std::uint16_t kMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr std::uint16_t kMachine = EM_AARCH64;
#else
#error "unsupported machine"
#endif

// Reads the parts of the file the checks need with pread, bounded by the
// file's size; the file is never read whole.
class Image {
 public:
  Image(int fd, std::uint64_t size) : fFd(fd), fSize(size) {}
  bool Has(std::uint64_t offset, std::uint64_t size) const {
    return offset <= fSize && size <= fSize - offset;
  }
  bool Read(std::uint64_t offset, void* out, std::size_t size) const {
    if (!Has(offset, size)) return false;
    auto* p = static_cast<char*>(out);
    while (size > 0) {
      const ssize_t n = ::pread(fFd, p, size, static_cast<off_t>(offset));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      p += n;
      offset += static_cast<std::uint64_t>(n);
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }
  template <typename T>
  bool Get(std::uint64_t offset, T& out) const {
    return Read(offset, &out, sizeof(T));
  }
  // A whole section, at most `cap` bytes.
  bool Section(const Elf64_Shdr& sh, std::uint64_t cap, std::vector<char>& out) const {
    if (sh.sh_size > cap || !Has(sh.sh_offset, sh.sh_size)) return false;
    out.resize(sh.sh_size);
    return Read(sh.sh_offset, out.data(), out.size());
  }

 private:
  int fFd;
  std::uint64_t fSize;
};

int Refuse(std::string& reason, const char* text) {
  reason = text;
  return 13;
}

// Every program segment and every section lies inside the file.
bool Complete(const Image& img, const Elf64_Ehdr& eh) {
  for (unsigned i = 0; i < eh.e_phnum; ++i) {
    Elf64_Phdr ph;
    if (!img.Get(eh.e_phoff + std::uint64_t{i} * sizeof ph, ph)) return false;
    if (ph.p_type == PT_LOAD && !img.Has(ph.p_offset, ph.p_filesz)) return false;
  }
  for (unsigned i = 0; i < eh.e_shnum; ++i) {
    Elf64_Shdr sh;
    if (!img.Get(eh.e_shoff + std::uint64_t{i} * sizeof sh, sh)) return false;
    if (sh.sh_type != SHT_NOBITS && !img.Has(sh.sh_offset, sh.sh_size)) return false;
  }
  return true;
}

// Finds the interface symbol in the dynamic symbol table and reads its value.
bool ReadInterfaceVersion(const Image& img, const Elf64_Ehdr& eh, std::uint32_t& version) {
  constexpr std::uint64_t kMaxTable = 16 << 20;
  for (unsigned i = 0; i < eh.e_shnum; ++i) {
    Elf64_Shdr symtab, strtab;
    if (!img.Get(eh.e_shoff + std::uint64_t{i} * sizeof symtab, symtab)) return false;
    if (symtab.sh_type != SHT_DYNSYM || symtab.sh_entsize != sizeof(Elf64_Sym)) continue;
    if (symtab.sh_link >= eh.e_shnum ||
        !img.Get(eh.e_shoff + std::uint64_t{symtab.sh_link} * sizeof strtab, strtab))
      return false;
    std::vector<char> syms, strs;
    if (!img.Section(symtab, kMaxTable, syms) || !img.Section(strtab, kMaxTable, strs))
      return false;
    const std::size_t nameLen = std::strlen(kEntrySymbol);
    for (std::size_t off = 0; off + sizeof(Elf64_Sym) <= syms.size(); off += sizeof(Elf64_Sym)) {
      Elf64_Sym sym;
      std::memcpy(&sym, syms.data() + off, sizeof sym);
      if (sym.st_name >= strs.size() || strs.size() - sym.st_name < nameLen + 1 ||
          std::memcmp(strs.data() + sym.st_name, kEntrySymbol, nameLen + 1) != 0)
        continue;
      if (ELF64_ST_TYPE(sym.st_info) != STT_OBJECT || sym.st_shndx == SHN_UNDEF ||
          sym.st_shndx >= eh.e_shnum || sym.st_size != sizeof version)
        return false;
      Elf64_Shdr home;
      if (!img.Get(eh.e_shoff + std::uint64_t{sym.st_shndx} * sizeof home, home)) return false;
      if (home.sh_type == SHT_NOBITS || sym.st_value < home.sh_addr) return false;
      return img.Get(home.sh_offset + (sym.st_value - home.sh_addr), version);
    }
  }
  return false;
}

constexpr std::uint64_t kMaxDataFileSize = 256 << 20;  // far above any real data file

// Regular, not a link, owned by the user or root and writable by no one
// else (as ssh treats its keys): a data file is code the program runs.
bool TrustedFile(int fd, const std::string& path, struct stat& st, std::string& reason) {
  if (::fstat(fd, &st) != 0) {
    reason = "Die Datei " + path + " kann nicht gelesen werden: " + std::strerror(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode))
    reason = "Die Datei " + path + " ist keine gewöhnliche Datei.";
  else if (st.st_uid != ::getuid() && st.st_uid != 0)
    reason = "Die Datei " + path + " gehört weder Ihnen noch root.";
  else if (st.st_mode & (S_IWGRP | S_IWOTH))
    reason = "Die Datei " + path + " ist auch für andere beschreibbar.";
  else
    return true;
  return false;
}

// A folder whose files count: not writable by others unless sticky (like
// /tmp), and the user's or root's.
bool TrustedDirectory(const std::string& dir, std::string& reason) {
  struct stat st;
  if (::stat(dir.empty() ? "." : dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    reason = "Das Verzeichnis " + dir + " ist nicht zugänglich.";
    return false;
  }
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) && !(st.st_mode & S_ISVTX)) {
    reason = "Das Verzeichnis " + dir + " ist auch für andere beschreibbar.";
    return false;
  }
  if (st.st_uid != ::getuid() && st.st_uid != 0) {
    reason = "Das Verzeichnis " + dir + " gehört weder Ihnen noch root.";
    return false;
  }
  return true;
}

// Opens without following a symbolic link and without blocking on a FIFO.
int OpenForCheck(const std::string& path, std::string& reason, int& rc) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
  if (fd >= 0) return fd;
  rc = errno == ELOOP ? 13 : 3;
  reason = errno == ELOOP
               ? "Die Datei " + path + " ist ein symbolischer Verweis."
               : "Die Datei " + path + " kann nicht gelesen werden: " + std::strerror(errno);
  return -1;
}

// The first `size` bytes of a small file kept beside a data file (its digest
// or signature), from a trusted file only. `missing` is the reason given when
// the file is not there.
bool SideFileText(const std::string& file, std::size_t size, const std::string& missing,
                  const std::string& incomplete, std::string& text, std::string& reason) {
  int rc = 0;
  const TUniqueFd f{OpenForCheck(file, reason, rc)};
  struct stat st;
  if (f.fd < 0 || !TrustedFile(f.fd, file, st, reason)) {
    if (f.fd < 0 && rc == 3) reason = missing;
    return false;
  }
  char buf[128];
  if (size > sizeof buf || ::pread(f.fd, buf, size, 0) != static_cast<ssize_t>(size)) {
    reason = incomplete;
    return false;
  }
  text.assign(buf, size);
  return true;
}

// The digest recorded for the data file when it was built, unpacked or downloaded.
bool RecordedDigest(const std::string& path, std::string& hex, std::string& reason) {
  const std::string file = DigestFileOf(path);
  return SideFileText(file, 64, "Zur Datei ist keine Prüfsumme verzeichnet (" + file + ").",
                      "Die Prüfsummendatei " + file + " ist unvollständig.", hex, reason);
}

// The public keys whose signatures the program trusts: those built in, then
// the "*.pub" files of /etc/zelvaro/trusted-keys and of the user's
// $XDG_CONFIG_HOME/zelvaro/trusted-keys. A folder or key file that others
// may write is passed over, with a notice.
std::vector<TPublicKey> TrustedKeys(std::vector<std::string>& notices) {
  std::vector<TPublicKey> keys;
  for (const char* hex : kBuiltinPublicKeys) {
    TPublicKey k;
    if (FromHex(hex, k.data(), k.size())) keys.push_back(k);
  }
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  const std::string user = (config && *config == '/' ? std::string(config)
                                                     : std::string(home ? home : "") + "/.config") +
                           "/zelvaro/trusted-keys";
  for (const std::string& dir : {std::string("/etc/zelvaro/trusted-keys"), user}) {
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) continue;
    std::string reason;
    if (!TrustedDirectory(dir, reason)) {
      notices.push_back(reason + " Seine Schlüssel werden nicht verwendet.");
      continue;
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
      const std::string path = entry.path().string();
      if (entry.path().extension() != ".pub") continue;
      int rc = 0;
      const TUniqueFd f{OpenForCheck(path, reason, rc)};
      struct stat st;
      TPublicKey k;
      if (f.fd < 0 || !TrustedFile(f.fd, path, st, reason) || !ReadPublicKeyFile(path, k, reason)) {
        notices.push_back(reason + " Der Schlüssel wird nicht verwendet.");
        continue;
      }
      keys.push_back(k);
    }
  }
  return keys;
}

// The signature recorded beside a data file, as hex text.
bool RecordedSignature(const std::string& path, std::string& hex, std::string& reason) {
  const std::string file = SignatureFileOf(path);
  const std::string incomplete = "Die Signaturdatei " + file + " ist unvollständig.";
  if (!SideFileText(file, 128, "Die Datei ist nicht signiert (" + file + " fehlt).", incomplete,
                    hex, reason))
    return false;
  TSignature sig;
  if (FromHex(hex, sig.data(), sig.size())) return true;
  reason = incomplete;
  return false;
}

// Data files verified before, by identity: an unchanged file (same device,
// inode, size, modification and change time) is not hashed again at every
// start. Any write moves the change time, so a changed file is always
// hashed anew; the list belongs to the user like the data files.
std::string VerifiedListPath() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  const std::string dir = cache && *cache ? cache : std::string(home ? home : "") + "/.cache";
  return dir + "/zelvaro/verified-data-files";
}

std::string StampOf(const struct stat& st, const std::string& digestHex,
                    const std::string& signatureHex, const TPublicKey& key) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%llu %llu %lld %lld.%09ld %lld.%09ld ",
                static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino), static_cast<long long>(st.st_size),
                static_cast<long long>(st.st_mtim.tv_sec), st.st_mtim.tv_nsec,
                static_cast<long long>(st.st_ctim.tv_sec), st.st_ctim.tv_nsec);
  return buf + digestHex + " " + signatureHex + " " + Hex(key.data(), key.size());
}

constexpr std::size_t kMaxVerified = 32;

std::vector<std::string> VerifiedList() {
  std::vector<std::string> lines;
  const std::string path = VerifiedListPath();
  std::string reason;
  int rc = 0;
  const TUniqueFd f{OpenForCheck(path, reason, rc)};
  struct stat st;
  if (f.fd < 0 || !TrustedFile(f.fd, path, st, reason) || st.st_size > 64 * 1024) return lines;
  std::string text(static_cast<std::size_t>(st.st_size), '\0');
  if (::pread(f.fd, text.data(), text.size(), 0) != st.st_size) return lines;
  for (std::size_t pos = 0, nl; (nl = text.find('\n', pos)) != std::string::npos; pos = nl + 1)
    lines.push_back(text.substr(pos, nl - pos));
  return lines;
}

bool VerifiedBefore(const std::string& stamp) {
  const std::vector<std::string> lines = VerifiedList();
  return std::find(lines.begin(), lines.end(), stamp) != lines.end();
}

void RememberVerified(const std::string& stamp) {
  std::vector<std::string> lines = VerifiedList();
  if (lines.size() >= kMaxVerified) lines.erase(lines.begin(), lines.end() - (kMaxVerified - 1));
  lines.push_back(stamp);
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  const std::string path = VerifiedListPath();
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::string reason;
  WriteFileAtomically(path, text, reason);  // best effort: without it, files are hashed again
}

}  // namespace

bool IsDataFileName(const std::string& name) {
  static constexpr std::string_view kForm = "ZelObjects_9999_9.wbd";
  if (name.size() != kForm.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const bool digit = name[i] >= '0' && name[i] <= '9';
    if (kForm[i] == '9' ? !digit : name[i] != kForm[i]) return false;
  }
  return name[16] >= '1' && name[16] <= '4';
}

namespace {

// Hands the checked descriptor on, so that what is loaded is what was checked.
int Keep(TUniqueFd& f, TUniqueFd* keep) {
  if (keep) std::swap(keep->fd, f.fd);
  return 0;
}

int Inspect(const std::string& path, std::uint32_t interfaceVersion, std::string& reason,
            TUniqueFd* keep) {
  if (!IsDataFileName(std::filesystem::path(path).filename().string()))
    return Refuse(reason, "Der Dateiname hat nicht die Form ZelObjects_JJJJ_Q.wbd.");
  if (!TrustedDirectory(std::filesystem::path(path).parent_path().string(), reason)) return 13;
  int rc = 0;
  TUniqueFd f{OpenForCheck(path, reason, rc)};
  if (f.fd < 0) return rc;
  struct stat st;
  if (!TrustedFile(f.fd, path, st, reason)) return 13;
  const auto size = static_cast<std::uint64_t>(st.st_size);
  if (size > kMaxDataFileSize) return Refuse(reason, "Die Datei ist zu groß für eine Datendatei.");
  const Image img(f.fd, size);
  Elf64_Ehdr eh;
  if (!img.Get(0, eh) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0)
    return Refuse(reason, "Die Datei ist kein ladbares Modul.");
  if (eh.e_ident[EI_CLASS] != ELFCLASS64 || eh.e_ident[EI_DATA] != ELFDATA2LSB ||
      eh.e_type != ET_DYN || eh.e_machine != kMachine)
    return Refuse(reason, "Die Datei ist kein ladbares Modul für diesen Rechner.");
  if (eh.e_phentsize != sizeof(Elf64_Phdr) || eh.e_shentsize != sizeof(Elf64_Shdr) ||
      !Complete(img, eh))
    return Refuse(reason, "Die Datei ist unvollständig.");
  std::uint32_t version = 0;
  if (!ReadInterfaceVersion(img, eh, version))
    return Refuse(reason, "Die Datei ist keine Zelvaro-Datendatei.");
  if (version != interfaceVersion) {
    reason = "Die Datendatei hat die Schnittstellenversion " + std::to_string(version) +
             ", erwartet wird " + std::to_string(interfaceVersion) + ".";
    return 13;
  }
  std::string recorded, signature, unsigned_;
  if (!RecordedDigest(path, recorded, reason)) return 13;
  const bool signedFile = RecordedSignature(path, signature, unsigned_);
  std::vector<std::string> notices;
  const std::vector<TPublicKey> keys = TrustedKeys(notices);
  // A file verified before by a key still trusted is not hashed again.
  for (const TPublicKey& key : keys)
    if (signedFile && VerifiedBefore(StampOf(st, recorded, signature, key))) return Keep(f, keep);
  TSha256Digest digest;
  if (!Sha256OfFile(f.fd, digest)) {
    reason = "Die Datei " + path + " kann nicht gelesen werden: " + std::strerror(errno);
    return 3;
  }
  if (HexOf(digest) != recorded)
    return Refuse(reason, "Die Prüfsumme der Datei stimmt nicht mit der verzeichneten überein.");
  if (!signedFile) {
    reason = unsigned_;
    return 13;
  }
  TSignature sig;
  FromHex(signature, sig.data(), sig.size());
  const std::string statement =
      DataFileStatement(std::filesystem::path(path).filename().string(), digest);
  for (const TPublicKey& key : keys)
    if (VerifyBytes(key, statement, sig)) {
      RememberVerified(StampOf(st, recorded, signature, key));
      return Keep(f, keep);
    }
  reason = "Die Datei trägt keine gültige Signatur eines vertrauenswürdigen Schlüssels";
  for (const std::string& n : notices) reason += " (" + n + ")";
  reason += ".";
  return 13;
}

}  // namespace

int InspectDataModule(const std::string& path, std::uint32_t interfaceVersion, std::string& reason,
                      TUniqueFd* keep) {
  const int rc = Inspect(path, interfaceVersion, reason, keep);
  if (rc != 0) reason = Utf8ToCp1252(reason);
  return rc;
}

bool VerifyDataFileSignature(const std::string& fileName, const TSha256Digest& digest,
                             const TSignature& signature, std::string& reason) {
  std::vector<std::string> notices;
  const std::string statement = DataFileStatement(fileName, digest);
  for (const TPublicKey& key : TrustedKeys(notices))
    if (VerifyBytes(key, statement, signature)) return true;
  reason = Utf8ToCp1252("Die Datei " + fileName +
                        " trägt keine gültige Signatur eines vertrauenswürdigen Schlüssels.");
  return false;
}

bool TDataModule::Open(const TUniqueFd& checked, std::string& reason) {
  Close();
  // The descriptor that was checked, not the name: a file renamed over the
  // checked one in between is never loaded.
  const std::string self = "/proc/self/fd/" + std::to_string(checked.fd);
  fHandle = ::dlopen(self.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!fHandle) reason = ::dlerror();
  return fHandle != nullptr;
}

void TDataModule::Close() {
  if (fHandle) ::dlclose(fHandle);
  fHandle = nullptr;
}

}  // namespace zel
