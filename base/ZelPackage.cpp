#include "ZelPackage.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "CivilDate.h"
#include "Cp1252.h"
#include "PackedFile.h"
#include "Proxies.h"

#ifndef ZEL_BUILD_DATA_DIR
#define ZEL_BUILD_DATA_DIR ""
#endif

namespace zel {
namespace {

namespace fs = std::filesystem;

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

std::string XdgHome(const char* var, const char* fallback) {
  std::string dir = Env(var);
  if (dir.empty()) dir = Env("HOME") + "/" + fallback;
  return dir;
}

// The remembered settings: data directory and active data file.
fs::path ConfigFile() {
  return fs::path(XdgHome("XDG_CONFIG_HOME", ".config")) / "zelvaro" / "zelvaro.conf";
}

std::string ConfigValue(const std::string& key) {
  std::ifstream in(ConfigFile());
  for (std::string line; std::getline(in, line);)
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  return {};
}

std::string ProgramDirectory() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

// $ZELVARO_DATA_DIR, else the remembered directory, else lib/zelvaro beside
// the program (share/zelvaro of older installations), else the build tree's
// data folder, else $XDG_DATA_HOME/zelvaro.
std::string DefaultDataDirectory() {
  if (std::string env = Env("ZELVARO_DATA_DIR"); !env.empty()) return env;
  if (std::string saved = ConfigValue("DataDirectory"); !saved.empty() && fs::is_directory(saved))
    return saved;
  if (std::string prog = ProgramDirectory(); !prog.empty()) {
    for (const char* dir : {ZEL_INSTALL_LIBDIR "/zelvaro", "share/zelvaro"}) {
      const fs::path beside = fs::path(prog) / ".." / dir;
      if (fs::is_directory(beside)) return fs::weakly_canonical(beside).string();
    }
  }
  if (fs::is_directory(ZEL_BUILD_DATA_DIR)) return ZEL_BUILD_DATA_DIR;
  return XdgHome("XDG_DATA_HOME", ".local/share") + "/zelvaro";
}

// The classes every data file registers.
constexpr const char* kRequiredClasses[] = {"ZelProbeObject", "ZelDtausObject", "ZelArbeitObject",
                                            "ZelSepaObject"};

}  // namespace

TZelPackageObject* ZelPackage() {
  // Never destroyed: data modules unregister their classes as late as the
  // process exit, so the registry must outlive them.
  static TZelPackageObject* const package = new TZelPackageObject;
  return package;
}

TZelPackageObject::TZelPackageObject() {
  fUpdate.url = Env("ZELVARO_UPDATE_URL");
  if (fUpdate.url.empty()) fUpdate.url = ConfigValue("UpdateUrl");
}

void TZelPackageObject::RegisterZelClass(const std::string& Name, const TZelClass* Class) {
  fClasses[Name] = Class;
}

void TZelPackageObject::UnregisterZelClass(const std::string& Name) { fClasses.erase(Name); }

const TZelClass* TZelPackageObject::GetZelClassByName(const std::string& Name) {
  const auto it = fClasses.find(Name);
  return it == fClasses.end() ? nullptr : it->second;
}

void TZelPackageObject::EnsureStarted() { Start(); }

// At the first use: load the remembered data file, else the newest one that
// loads. A file passed over is announced with its reason, so older data is
// never used silently.
void TZelPackageObject::Start() {
  if (fStarted) return;
  fStarted = true;
  fDataDirectory = WithSlash(DefaultDataDirectory());
  std::vector<std::string> candidates;
  // The remembered file counts only when it lies in the data directory in use.
  if (const std::string saved = ConfigValue("ActiveFile");
      !saved.empty() && WithSlash(fs::path(saved).parent_path().string()) == fDataDirectory)
    candidates.push_back(saved);
  for (const std::string& name : ByValidity(DataFileNames()))
    if (candidates.empty() || fDataDirectory + name != candidates.front())
      candidates.push_back(fDataDirectory + name);
  for (const std::string& path : candidates) {
    std::string reason;
    if (Load(path, reason)) {
      fCurrentFile = fs::path(path).filename().string();
      fCurrentDirectory = WithSlash(fs::path(path).parent_path().string());
      if (!fNotices.empty())
        fNotices.push_back(Utf8ToCp1252("Es wird stattdessen die Datendatei ") + fCurrentFile +
                           " verwendet.");
      return;
    }
    fNotices.push_back("Die Datendatei " + fs::path(path).filename().string() +
                       Utf8ToCp1252(" wird nicht verwendet: ") + reason);
    if (fLastError.empty()) fLastError = reason;
  }
}

std::vector<std::string> TZelPackageObject::TakeNotices() {
  Start();
  return std::exchange(fNotices, {});
}

// The data files of the data directory, newest (greatest name) first.
std::vector<std::string> TZelPackageObject::DataFileNames() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(fDataDirectory, ec))
    if (IsDataFileName(entry.path().filename().string()) && entry.is_regular_file(ec))
      names.push_back(entry.path().filename().string());
  std::sort(names.rbegin(), names.rend());
  return names;
}

double TZelPackageObject::Today() const {
  if (fClock) return fClock();
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return static_cast<double>(
      civil::DayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));
}

// Newest first, but the files whose validity has begun before those of a
// coming quarter, which can so be installed ahead of time.
std::vector<std::string> TZelPackageObject::ByValidity(std::vector<std::string> names) const {
  const double today = Today();
  auto begun = [&](const std::string& name) {  // ZelObjects_YYYY_Q.wbd
    return static_cast<double>(
               civil::FirstValidDay(std::stoi(name.substr(11, 4)), name[16] - '0')) <= today;
  };
  std::stable_partition(names.begin(), names.end(), begun);
  return names;
}

std::string TZelPackageObject::PathOf(const std::string& FileName) const {
  return FileName.find('/') == std::string::npos ? fDataDirectory + FileName : FileName;
}

// Checks a data file and loads the very file that was checked; a module
// that does not register the domain classes is unloaded again.
bool TZelPackageObject::Load(const std::string& path, std::string& reason) {
  TUniqueFd checked{-1};
  if (InspectDataModule(path, kZelInterfaceVersion, reason, &checked) != 0) return false;
  if (!fModule.Open(checked, reason)) return false;
  for (const char* name : kRequiredClasses) {
    if (GetZelClassByName(name)) continue;
    fModule.Close();
    reason = "Die Datei meldet die Klasse " + std::string(name) + " nicht an.";
    return false;
  }
  return true;
}

std::string TZelPackageObject::GetDataDirectory() {
  Start();
  return fDataDirectory;
}

void TZelPackageObject::SetDataDirectory(const std::string& Directory) {
  Start();
  fDataDirectory = WithSlash(Directory);
  Remember();
}

std::string TZelPackageObject::GetCurrentFileName() {
  Start();
  return fCurrentFile;
}

std::string TZelPackageObject::GetCurrentFilePath() {
  Start();
  return fCurrentFile.empty() ? std::string() : fCurrentDirectory + fCurrentFile;
}

std::string TZelPackageObject::GetNewestFileName() {
  Start();
  const std::vector<std::string> names = DataFileNames();
  return names.empty() ? std::string() : names.front();
}

void TZelPackageObject::Remember() const {
  if (!fPersistent) return;
  std::error_code ec;
  fs::create_directories(ConfigFile().parent_path(), ec);
  std::string text = "DataDirectory=" + fDataDirectory + "\n";
  if (!fCurrentFile.empty()) text += "ActiveFile=" + fCurrentDirectory + fCurrentFile + "\n";
  if (!fUpdate.url.empty() && Env("ZELVARO_UPDATE_URL").empty())
    text += "UpdateUrl=" + fUpdate.url + "\n";
  std::string reason;
  WriteFileAtomically(ConfigFile().string(), text, reason, 0600);  // best effort; private
}

std::int32_t TZelPackageObject::Activate(const std::string& FileName) {
  Start();
  const std::string path = PathOf(FileName);
  if (const int rc = InspectDataModule(path, kZelInterfaceVersion, fLastError); rc != 0) return rc;

  // Freeze every live object; a failure here leaves everything as it was.
  std::vector<std::pair<TProxyBaseObject*, TByteStream>> frozen;
  try {
    for (TProxyBaseObject* p : fProxies) {
      TByteStream stream;
      if (p->fObject)
        p->fObject->Freeze(stream);
      else
        stream = p->fPendingState;
      frozen.emplace_back(p, std::move(stream));
    }
  } catch (const std::exception& e) {
    fLastError = Utf8ToCp1252("Ein Objekt konnte seinen Zustand nicht sichern: ") + e.what();
    return 3;
  }

  // The objects' code lives in the module: they go before it does.
  const std::string oldPath = fCurrentFile.empty() ? "" : fCurrentDirectory + fCurrentFile;
  for (auto& [proxy, stream] : frozen) proxy->fObject.reset();
  fModule.Close();
  fCurrentFile.clear();

  auto thawAll = [&] {
    for (auto& [proxy, stream] : frozen) {
      const TZelClass* cls = GetZelClassByName(proxy->fName);
      if (!cls) continue;
      stream.Seek(0);
      proxy->fPendingState = TByteStream();
      try {
        proxy->fObject = cls->Thaw(stream);
      } catch (const std::exception&) {
        proxy->fObject = cls->Create();
      }
    }
  };

  std::string reason;
  int rc = 0;
  if (Load(path, reason)) {
    fCurrentFile = fs::path(path).filename().string();
    fCurrentDirectory = WithSlash(fs::path(path).parent_path().string());
  } else {
    fLastError = Utf8ToCp1252("Die Datei lässt sich nicht laden: ") + reason;
    std::string again;
    if (oldPath.empty()) return 13;
    if (!Load(oldPath, again)) {
      fLastError += Utf8ToCp1252("; die vorherige Datei lässt sich nicht wieder laden: ") + again;
      for (auto& [proxy, stream] : frozen) proxy->fPendingState = std::move(stream);
      return 14;
    }
    fCurrentFile = fs::path(oldPath).filename().string();
    fCurrentDirectory = WithSlash(fs::path(oldPath).parent_path().string());
    rc = 13;
  }
  thawAll();
  if (rc == 0) {
    fLastError = "Ok";
    Remember();
  }
  return rc;
}

std::int32_t TZelPackageObject::Unpack(const std::string& FileName) {
  Start();
  std::string name;
  const int rc = UnpackDataFile(PathOf(FileName), fDataDirectory, name, fLastError);
  if (rc == 0) fLastError = "Ok";
  return rc;
}

std::string TZelPackageObject::UpdateServerCheck(const std::string& User,
                                                 const std::string& Password) {
  Start();
  const std::string answer = UpdateCheck(fUpdate, User, Password);
  fLastError = answer.substr(1);
  return answer;
}

std::string TZelPackageObject::UpdateServerDownload(const std::string& User,
                                                    const std::string& Password) {
  Start();
  const std::string answer = UpdateDownload(fUpdate, User, Password, fDataDirectory);
  fLastError = answer.substr(1);
  return answer;
}

void TZelPackageObject::UpdateSetProxy(const std::string& Host, std::int32_t Port) {
  fUpdate.proxyHost = Host;
  fUpdate.proxyPort = Port;
}

void TZelPackageObject::UpdateSetTimeout(std::int32_t Timeout) { fUpdate.timeoutSeconds = Timeout; }

std::string TZelPackageObject::GetErrorMessage(std::int32_t Code) {
  switch (Code) {
    case 0: return "Ok";
    case 3: return "Die Datei konnte nicht geladen werden";
    case 5: return "Die Datei ist bereits als entpackte Version vorhanden";
    case 13: return Utf8ToCp1252("Die Datei ist keine gültige Datendatei");
    case 14:
      return Utf8ToCp1252(
          "Die Datei ist keine gültige Datendatei, und die vorherige Datendatei konnte nicht "
          "wieder geladen werden");
    default: return "Unbekannter Fehlercode Nr. " + std::to_string(Code);
  }
}

std::string TZelPackageObject::GetLastError() { return fLastError; }

void TZelPackageObject::AddProxy(TProxyBaseObject* Proxy) { fProxies.insert(Proxy); }
void TZelPackageObject::RemoveProxy(TProxyBaseObject* Proxy) { fProxies.erase(Proxy); }

std::string ZelSetting(const char* envVar, const char* key) {
  if (std::string v = Env(envVar); !v.empty()) return v;
  return ConfigValue(key);
}

}  // namespace zel
