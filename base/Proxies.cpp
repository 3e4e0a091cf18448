#include "Proxies.h"

#include <cstdio>

#include "CivilDate.h"
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
  const civil::Date c = civil::FromDayNumber(day);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", c.day, c.month, c.year);
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
