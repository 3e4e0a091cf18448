#include "Proxies.h"

#include <cstdio>

#include "Cp1252.h"
#include "ZelPackage.h"

namespace zel {

std::string NoDataFileText() {
  return "Datendatei ist nicht geladen und konnte auch nicht geladen werden";
}

TProxyBaseObject::TProxyBaseObject(std::string name, std::unique_ptr<TZelBaseObject> object)
    : fName(std::move(name)), fObject(std::move(object)) {
  ZelPackage()->AddProxy(this);
}

TProxyBaseObject::~TProxyBaseObject() {
  ZelPackage()->RemoveProxy(this);
  fObject.reset();
}

std::unique_ptr<TZelBaseObject> TProxyBaseObject::CreateObject(const std::string& name) {
  ZelPackage()->EnsureStarted();
  const TZelClass* cls = ZelPackage()->GetZelClassByName(name);
  return cls ? cls->Create() : nullptr;
}

namespace {

std::string DateText(TDateTime day) {
  // Civil date of a day number since 1899-12-30 (days since 1970-01-01 + 25569).
  const long z = static_cast<long>(day) - 25569 + 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const long d = doy - (153 * mp + 2) / 5 + 1;
  const long m = mp < 10 ? mp + 3 : mp - 9;
  const long y = yoe + era * 400 + (m <= 2);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02ld.%02ld.%04ld", d, m, y);
  return buf;
}

}  // namespace

std::string TProxyZelProbeObject::GetVersionExtended() {
  const TZelVersionRecord v = GetVersionRecord();
  return std::string(v.PackageName.View()) + "~" + std::to_string(v.Year) + "~" +
         std::to_string(v.Quarter) + "~" + std::to_string(v.Revision) + "~" +
         std::string(v.Description.View()) + "~" + DateText(v.ValidFrom) + "~" +
         DateText(v.ValidTo);
}

}  // namespace zel
