#include "DataModule.h"

#include <dlfcn.h>
#include <elf.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

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

// Bounds-checked view of the file's bytes.
class Image {
 public:
  explicit Image(std::vector<char> bytes) : fBytes(std::move(bytes)) {}
  bool Has(std::uint64_t offset, std::uint64_t size) const {
    return offset <= fBytes.size() && size <= fBytes.size() - offset;
  }
  template <typename T>
  bool Get(std::uint64_t offset, T& out) const {
    if (!Has(offset, sizeof(T))) return false;
    std::memcpy(&out, fBytes.data() + offset, sizeof(T));
    return true;
  }
  const char* At(std::uint64_t offset) const { return fBytes.data() + offset; }

 private:
  std::vector<char> fBytes;
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
  for (unsigned i = 0; i < eh.e_shnum; ++i) {
    Elf64_Shdr symtab, strtab;
    if (!img.Get(eh.e_shoff + std::uint64_t{i} * sizeof symtab, symtab)) return false;
    if (symtab.sh_type != SHT_DYNSYM || symtab.sh_entsize != sizeof(Elf64_Sym)) continue;
    if (!img.Get(eh.e_shoff + std::uint64_t{symtab.sh_link} * sizeof strtab, strtab)) return false;
    for (std::uint64_t off = 0; off + sizeof(Elf64_Sym) <= symtab.sh_size;
         off += sizeof(Elf64_Sym)) {
      Elf64_Sym sym;
      if (!img.Get(symtab.sh_offset + off, sym)) return false;
      const std::size_t nameLen = std::strlen(kEntrySymbol);
      if (sym.st_name >= strtab.sh_size || !img.Has(strtab.sh_offset + sym.st_name, nameLen + 1))
        continue;
      if (std::memcmp(img.At(strtab.sh_offset + sym.st_name), kEntrySymbol, nameLen + 1) != 0)
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

}  // namespace

int InspectDataModule(const std::string& path, std::uint32_t interfaceVersion,
                      std::string& reason) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    reason = "Die Datei " + path + " kann nicht gelesen werden: " + std::strerror(errno);
    return 3;
  }
  in.seekg(0, std::ios::end);
  std::vector<char> bytes(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)));
  in.seekg(0);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!in) {
    reason = "Die Datei " + path + " kann nicht gelesen werden.";
    return 3;
  }
  const Image img(std::move(bytes));
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
  return 0;
}

bool TDataModule::Open(const std::string& path, std::string& reason) {
  Close();
  fHandle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!fHandle) reason = ::dlerror();
  return fHandle != nullptr;
}

void TDataModule::Close() {
  if (fHandle) ::dlclose(fHandle);
  fHandle = nullptr;
}

}  // namespace zel
