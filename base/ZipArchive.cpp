#include "ZipArchive.h"

#include <zip.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "LazyLibrary.h"

namespace zel {
namespace {

// libzip, loaded when an archive is first read.
struct TZip {
  zip_t* (*open)(const char*, int, int*);
  int (*close)(zip_t*);
  void (*discard)(zip_t*);
  zip_int64_t (*numEntries)(zip_t*, zip_flags_t);
  const char* (*getName)(zip_t*, zip_uint64_t, zip_flags_t);
  zip_file_t* (*fopenIndex)(zip_t*, zip_uint64_t, zip_flags_t);
  zip_int64_t (*fread)(zip_file_t*, void*, zip_uint64_t);
  int (*fclose)(zip_file_t*);
};

bool BindZip(void* h, TZip& z) {
  return Bind(h, "zip_open", z.open) && Bind(h, "zip_close", z.close) &&
         Bind(h, "zip_discard", z.discard) && Bind(h, "zip_get_num_entries", z.numEntries) &&
         Bind(h, "zip_get_name", z.getName) && Bind(h, "zip_fopen_index", z.fopenIndex) &&
         Bind(h, "zip_fread", z.fread) && Bind(h, "zip_fclose", z.fclose);
}

const TZip* Zip() { return LoadOnce("libzip.so.4", BindZip); }

// One entry's bytes, at most limit of them; false when there are more or
// it cannot be read.
bool ReadEntry(const TZip& z, zip_t* archive, zip_uint64_t index, std::size_t limit,
               std::string& out, std::string& error, const std::string& name) {
  std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(z.fopenIndex(archive, index, 0), z.fclose);
  if (!file) {
    error = name + ": der Eintrag kann nicht entpackt werden";
    return false;
  }
  out.clear();
  char buffer[65536];
  for (;;) {
    const zip_int64_t n = z.fread(file.get(), buffer, sizeof buffer);
    if (n < 0) {
      error = name + ": der Eintrag ist beschädigt";
      return false;
    }
    if (n == 0) return true;
    if (out.size() + static_cast<std::size_t>(n) > limit) {
      error = name + ": der Eintrag ist entpackt größer als " + std::to_string(limit >> 20) + " MB";
      return false;
    }
    out.append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace

bool LooksLikeZip(const std::string& head) { return head.rfind("PK\x03\x04", 0) == 0; }

bool ReadZipEntries(const std::string& path, const TZipLimits& limits,
                    const std::function<bool(const std::string&, std::string&)>& each,
                    std::string& error) {
  const TZip* z = Zip();
  if (!z) {
    error = "Die Bibliothek libzip.so.4 fehlt";
    return false;
  }
  int code = 0;
  std::unique_ptr<zip_t, void (*)(zip_t*)> archive(z->open(path.c_str(), ZIP_RDONLY, &code),
                                                   z->discard);
  if (!archive) {
    error = path + ": kein lesbares ZIP-Archiv (libzip " + std::to_string(code) + ")";
    return false;
  }
  const zip_int64_t count = z->numEntries(archive.get(), 0);
  if (count < 0 || static_cast<std::size_t>(count) > limits.maxEntries) {
    error = path + ": das Archiv hat mehr als " + std::to_string(limits.maxEntries) + " Einträge";
    return false;
  }
  std::vector<std::pair<std::string, zip_uint64_t>> entries;
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* name = z->getName(archive.get(), static_cast<zip_uint64_t>(i), 0);
    if (name && *name && name[std::char_traits<char>::length(name) - 1] != '/')
      entries.emplace_back(name, static_cast<zip_uint64_t>(i));
  }
  std::sort(entries.begin(), entries.end());
  std::string content;
  for (const auto& [name, index] : entries) {
    if (!ReadEntry(*z, archive.get(), index, limits.maxEntrySize, content, error, name))
      return false;
    if (!each(name, content)) return true;
  }
  return true;
}

}  // namespace zel
