#include "Registration.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "AtomicFile.h"
#include "AutomationInterfaces.h"

namespace zelgui {
namespace {

constexpr const char* kDoctype =
    "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
    " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n";

constexpr const char* kFactoryXml =
    "  <interface name=\"org.zelvaro.Bank.Factory\">\n"
    "    <method name=\"Create\">\n"
    "      <arg name=\"Object\" type=\"o\" direction=\"out\"/>\n"
    "    </method>\n"
    "  </interface>\n";

QString DbusDirectory() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/dbus-1";
}

QString ServiceFile() { return DbusDirectory() + "/services/" + kServiceName + ".service"; }
QString InterfaceFile(const QString& name) {
  return DbusDirectory() + "/interfaces/" + name + ".xml";
}

bool Write(const QString& path, const QString& text, QString& error) {
  std::string reason;
  if (!QDir().mkpath(QFileInfo(path).path()) ||
      !zel::WriteFileAtomically(path.toStdString(), text.toStdString(), reason)) {
    error = path + ": " + QString::fromStdString(reason);
    return false;
  }
  return true;
}

QString Node(const QString& interfaces) {
  return QString(kDoctype) + "<node>\n" + interfaces + "</node>\n";
}

}  // namespace

QString FullIntrospection() {
  QString all = kFactoryXml;
  for (const TInterface& i : AutomationInterfaces()) all += IntrospectionXml(i);
  return Node(all);
}

bool RegisterServer(const QString& program, QString& error) {
  bool ok = Write(
      ServiceFile(),
      QString("[D-BUS Service]\nName=%1\nExec=%2 -embedding\n").arg(kServiceName, program), error);
  ok = Write(InterfaceFile("org.zelvaro.Bank.Factory"), Node(kFactoryXml), error) && ok;
  for (const TInterface& i : AutomationInterfaces())
    ok = Write(InterfaceFile(InterfaceName(i)), Node(IntrospectionXml(i)), error) && ok;
  return ok;
}

bool UnregisterServer(QString& error) {
  QStringList files = {ServiceFile(), InterfaceFile("org.zelvaro.Bank.Factory")};
  for (const TInterface& i : AutomationInterfaces()) files << InterfaceFile(InterfaceName(i));
  bool ok = true;
  for (const QString& f : files)
    if (QFile::exists(f) && !QFile::remove(f)) {
      error = f + ": kann nicht entfernt werden";
      ok = false;
    }
  return ok;
}

}  // namespace zelgui
