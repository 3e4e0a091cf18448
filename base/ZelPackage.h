// The package object: one per process. It keeps the registry of the domain
// classes by name, loads the data module from the data directory, replaces it
// with another one while objects are alive, unpacks packed data files and
// talks to the update server.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "DataModule.h"
#include "UpdateClient.h"
#include "ZelBaseObject.h"
#include "ZelExport.h"

namespace zel {

class TProxyBaseObject;

class ZELBASE_API TZelPackageObject {
 public:
  TZelPackageObject();
  TZelPackageObject(const TZelPackageObject&) = delete;
  TZelPackageObject& operator=(const TZelPackageObject&) = delete;

  // Loads the remembered or newest data file, once; proxies call it before
  // they look a class up.
  void EnsureStarted();

  // Class registry, filled by the data module's initialisation. The look-up
  // does not load anything (domain code calls it from inside a module).
  void RegisterZelClass(const std::string& Name, const TZelClass* Class);
  void UnregisterZelClass(const std::string& Name);
  const TZelClass* GetZelClassByName(const std::string& Name);

  // The data directory, always with a trailing "/".
  std::string GetDataDirectory();
  void SetDataDirectory(const std::string& Directory);
  // The active data file's name, empty when none is loaded.
  std::string GetCurrentFileName();
  // Its full path (it need not lie in the data directory), or empty.
  std::string GetCurrentFilePath();
  // The newest data file (greatest name) in the data directory, or empty.
  std::string GetNewestFileName();

  // 0 activated, 3 not loaded, 13 not a valid data file (the old one stays
  // active), 14 not valid and the old one could not be loaded again.
  std::int32_t Activate(const std::string& FileName);
  // 0 unpacked, 3 cannot be opened, 5 already unpacked, 13 damaged.
  std::int32_t Unpack(const std::string& FileName);

  std::string UpdateServerCheck(const std::string& User, const std::string& Password);
  std::string UpdateServerDownload(const std::string& User, const std::string& Password);
  void UpdateSetProxy(const std::string& Host, std::int32_t Port);
  void UpdateSetTimeout(std::int32_t Timeout);
  // Credentials over plain http to a server on this machine (a test server).
  void UpdateAllowInsecureHttp(bool Allow) { fUpdate.insecureHttp = Allow; }

  // The day that "today" means when a data file is chosen by its validity,
  // as a day number (days since 1899-12-30); an empty function is the
  // system clock.
  void SetClock(std::function<double()> DayNumber) { fClock = std::move(DayNumber); }
  // Today as that clock says (the local date by default).
  double Today() const;

  // Whether the data directory and the active file are remembered for the
  // next start (default true).
  void SetPersistent(bool Persistent) { fPersistent = Persistent; }

  std::string GetErrorMessage(std::int32_t Code);
  std::string GetLastError();
  // What the start-up had to say: data files passed over and why, and the
  // file used instead (code page 1252). Each notice is given once.
  std::vector<std::string> TakeNotices();

  // Proxies announce themselves so that activation can carry their objects.
  void AddProxy(TProxyBaseObject* Proxy);
  void RemoveProxy(TProxyBaseObject* Proxy);

 private:
  void Start();
  std::string PathOf(const std::string& FileName) const;
  std::vector<std::string> DataFileNames() const;
  std::vector<std::string> ByValidity(std::vector<std::string> names) const;
  bool Load(const std::string& path, std::string& reason);
  void Remember() const;

  bool fStarted = false;
  bool fPersistent = true;
  std::string fDataDirectory;
  std::string fCurrentFile;  // name inside fCurrentDirectory
  std::string fCurrentDirectory;
  std::string fLastError;
  std::vector<std::string> fNotices;
  std::function<double()> fClock;
  TDataModule fModule;
  TUpdateSettings fUpdate;
  std::map<std::string, const TZelClass*> fClasses;
  std::set<TProxyBaseObject*> fProxies;
};

// The package object of this process.
ZELBASE_API TZelPackageObject* ZelPackage();

// A setting: the environment variable when it is set, else the key's value
// in the config file ($XDG_CONFIG_HOME/zelvaro/zelvaro.conf), else empty.
ZELBASE_API std::string ZelSetting(const char* envVar, const char* key);

}  // namespace zel
