// The program's registration with the session bus: the activation file of
// the service (the bus starts "zelvaro -embedding" on demand) and the
// introspection XML of the interfaces, under $XDG_DATA_HOME/dbus-1/.
#pragma once

#include <QString>

namespace zelgui {

constexpr const char* kServiceName = "org.zelvaro.Bank";

// Writes the files (each through a temporary file); false with the reason.
bool RegisterServer(const QString& program, QString& error);
// Removes them; false with the reason when one stays.
bool UnregisterServer(QString& error);
// The <node> with the factory interface and all seven interfaces.
QString FullIntrospection();

}  // namespace zelgui
