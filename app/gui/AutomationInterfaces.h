// The seven automation interfaces as tables: per class its methods with
// dispatch id, argument names and D-Bus types, result type and the call
// that forwards to the object's proxy. The bus dispatch, the introspection
// XML and the registration files all come from these tables.
#pragma once

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Proxies.h"

namespace zelgui {

// One live automation object: its class and the proxy built at creation
// (none without a data file, and none for ZelUpdate).
struct TAutomationObject {
  std::string className;  // "ZelProbe"
  std::unique_ptr<zel::TProxyBaseObject> proxy;
};

struct TArg {
  const char* name;  // "aBlz"
  char type;         // 's' text, 'i' int32 (and flags), 'x' int64 (1/10000 amounts)
};

struct TMethod {
  int id;  // dispatch id
  const char* name;
  std::vector<TArg> in;
  char result;  // 0 none, else as TArg::type
  // Forwards to the proxy; may throw (the bus answers with an error).
  std::function<QVariant(TAutomationObject&, const QVariantList&)> call;
  bool needsProxy = true;  // false: answers without a data file
};

struct TInterface {
  const char* className;   // "ZelProbe"
  const char* domainName;  // "ZelProbeObject", empty for ZelUpdate
  std::vector<TMethod> methods;
};

// The seven interfaces in the order of the class table.
const std::vector<TInterface>& AutomationInterfaces();
const TInterface* FindInterface(const QString& className);
// "org.zelvaro.Bank.IZelProbe"
QString InterfaceName(const TInterface& i);
// The <interface> element of an interface, with the dispatch ids as
// annotations.
QString IntrospectionXml(const TInterface& i);
// A proxy of the interface's domain class, or none without a data file.
std::unique_ptr<zel::TProxyBaseObject> CreateProxy(const TInterface& i);

}  // namespace zelgui
