#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "Cp1252.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

std::string SystemText(int error) { return std::strerror(error); }

// Makes a rename in the directory survive a crash.
void SyncDirectory(const fs::path& dir) {
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

unsigned NewFileMode() {
  // Read, not set: umask() would change it for other threads in between.
  unsigned mask = 022;
  if (std::FILE* f = std::fopen("/proc/self/status", "re")) {
    char line[128];
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "Umask: %o", &mask) == 1) break;
    std::fclose(f);
  }
  return 0666 & ~mask;
}

TAtomicFile::TAtomicFile(std::string target, unsigned mode)
    : fTarget(std::move(target)), fMode(mode == kUmaskMode ? NewFileMode() : mode) {}

TAtomicFile::~TAtomicFile() { Discard(); }

bool TAtomicFile::Open(std::string& reason) {
  Discard();
  const fs::path target(fTarget);
  const fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  // An unnamed file first: a process killed while writing leaves nothing
  // behind. Where the file system has none, a named temporary file.
  int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, fMode);
  fUnnamed = fd >= 0;
  fTemp = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  if (fd < 0) fd = ::mkostemp(fTemp.data(), O_CLOEXEC);
  if (fd < 0) {
    reason =
        Utf8ToCp1252("Die Datei " + fTarget + " kann nicht angelegt werden: " + SystemText(errno));
    fTemp.clear();
    return false;
  }
  ::fchmod(fd, fMode);
  fFile = ::fdopen(fd, "wb");
  if (!fFile) {
    reason =
        Utf8ToCp1252("Die Datei " + fTarget + " kann nicht angelegt werden: " + SystemText(errno));
    ::close(fd);
    if (!fUnnamed) ::unlink(fTemp.c_str());
    fTemp.clear();
    return false;
  }
  fError = 0;
  return true;
}

// Gives the unnamed file the temporary name, so that it can be renamed.
bool TAtomicFile::Name() {
  const std::string self = "/proc/self/fd/" + std::to_string(::fileno(fFile));
  const fs::path target(fTarget);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name =
        (target.parent_path() / ("." + target.filename().string() + "." +
                                 std::to_string(::getpid()) + "." + std::to_string(attempt)))
            .string();
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      fTemp = name;
      fUnnamed = false;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

void TAtomicFile::Write(std::string_view bytes) {
  if (!fFile || fError != 0 || bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), fFile) != bytes.size())
    fError = errno ? errno : EIO;
}

bool TAtomicFile::Commit(std::string& reason) {
  if (!fFile) {
    reason = Utf8ToCp1252("Die Datei " + fTarget + " ist nicht angelegt.");
    return false;
  }
  if (fError == 0 && std::fflush(fFile) != 0) fError = errno;
  if (fError == 0 && ::fsync(::fileno(fFile)) != 0) fError = errno;
  if (fError == 0 && fUnnamed && !Name()) fError = errno ? errno : EIO;
  const int closed = std::fclose(fFile);
  fFile = nullptr;
  if (fError == 0 && closed != 0) fError = errno;
  if (fError == 0 && ::rename(fTemp.c_str(), fTarget.c_str()) != 0) fError = errno;
  if (fError != 0) {
    reason = Utf8ToCp1252("Die Datei " + fTarget +
                          " kann nicht geschrieben werden: " + SystemText(fError));
    Discard();
    return false;
  }
  fTemp.clear();
  SyncDirectory(fs::path(fTarget).parent_path());
  return true;
}

void TAtomicFile::Discard() {
  if (fFile) std::fclose(fFile);
  fFile = nullptr;
  if (!fTemp.empty() && !fUnnamed) ::unlink(fTemp.c_str());
  fTemp.clear();
  fUnnamed = false;
}

bool WriteFileAtomically(const std::string& target, std::string_view bytes, std::string& reason,
                         unsigned mode) {
  TAtomicFile f(target, mode);
  if (!f.Open(reason)) return false;
  f.Write(bytes);
  return f.Commit(reason);
}

std::string PathWithExtension(const std::string& path, const std::string& extension) {
  fs::path p(path);
  p.replace_extension(extension);
  return p.string();
}

bool IsSafeOutputTarget(const std::string& target, const std::string& input, std::string& reason) {
  struct stat t;
  if (::lstat(target.c_str(), &t) != 0) {
    if (errno == ENOENT) return true;
    reason = Utf8ToCp1252("Die Datei " + target + " ist nicht zugänglich: " + SystemText(errno));
    return false;
  }
  if (S_ISLNK(t.st_mode)) {
    reason = Utf8ToCp1252("Die Datei " + target +
                          " ist ein symbolischer Verweis und wird nicht überschrieben.");
    return false;
  }
  if (!S_ISREG(t.st_mode)) {
    reason = Utf8ToCp1252("Die Datei " + target +
                          " ist keine gewöhnliche Datei und wird nicht überschrieben.");
    return false;
  }
  struct stat i;
  if (!input.empty() && ::stat(input.c_str(), &i) == 0 && i.st_dev == t.st_dev &&
      i.st_ino == t.st_ino) {
    reason = Utf8ToCp1252("Die Datei " + target +
                          " ist die Eingabedatei selbst und wird nicht überschrieben.");
    return false;
  }
  return true;
}

}  // namespace zel
