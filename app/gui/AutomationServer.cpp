#include "AutomationServer.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QThread>
#include <exception>

#include "Cp1252.h"
#include "Registration.h"

namespace zelgui {
namespace {

constexpr const char* kUnexpected = "org.zelvaro.Bank.Error.Unexpected";
constexpr const char* kFactory = "org.zelvaro.Bank.Factory";
// How long the server waits after its last object before it ends.
constexpr int kGraceMs = 300;
// Live objects one connection may hold.
constexpr int kMaxObjectsPerClient = 10000;

// A bus error's message, never empty.
QString Reason(const QDBusError& e) {
  return e.message().isEmpty() ? QString("ohne Angabe eines Grundes (%1)").arg(e.name())
                               : e.message();
}

QString Signature(const TMethod& m) {
  QString s;
  for (const TArg& a : m.in) s += a.type == 's' ? 's' : a.type == 'x' ? 'x' : 'i';
  return s;
}

QVariant Typed(const QVariant& v, char type) {
  if (type == 's') return v.toString();
  if (type == 'x') return QVariant::fromValue<qlonglong>(v.toLongLong());
  return QVariant::fromValue<int>(v.toInt());
}

}  // namespace

TAutomationServer::TAutomationServer(bool automation, int idleMs) : fAutomation(automation) {
  fWatcher.setConnection(QDBusConnection::sessionBus());
  fWatcher.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
  connect(&fWatcher, &QDBusServiceWatcher::serviceUnregistered, this,
          &TAutomationServer::ClientGone);
  // Without objects for a moment the server gives up its name first, so
  // that the bus starts a new one for the next client, then ends.
  fIdle.setSingleShot(true);
  connect(&fIdle, &QTimer::timeout, this, [this] {
    if (fCount != 0) return;
    QDBusConnection::sessionBus().unregisterService(kServiceName);
    emit LastObjectGone();
  });
  if (fAutomation) fIdle.start(idleMs);
}

TAutomationServer::~TAutomationServer() = default;

bool TAutomationServer::Start(QString& error) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    error = "Keine Verbindung zum Session-Bus: " + Reason(bus.lastError());
    return false;
  }
  if (!bus.registerVirtualObject("/Bank", this, QDBusConnection::SubPath) ||
      !bus.registerService(kServiceName)) {
    error = QString("Der Dienst %1 kann nicht angemeldet werden: %2")
                .arg(kServiceName, Reason(bus.lastError()));
    return false;
  }
  return true;
}

// The whole <node> of a path, with its children, for Introspect calls.
QString TAutomationServer::Introspection(const QString& path) const {
  QString children;
  const QStringList parts = path.split('/', Qt::SkipEmptyParts);
  if (parts.isEmpty()) children = "  <node name=\"Bank\"/>\n";
  if (parts.size() == 1)
    for (const TInterface& i : AutomationInterfaces())
      children += QString("  <node name=\"%1\"/>\n").arg(i.className);
  if (parts.size() == 2)
    for (const auto& [p, e] : fObjects)
      if (p.startsWith(path + "/"))
        children += QString("  <node name=\"%1\"/>\n").arg(p.section('/', 3));
  return "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
         " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n<node>\n"
         "  <interface name=\"org.freedesktop.DBus.Introspectable\">\n"
         "    <method name=\"Introspect\">\n"
         "      <arg name=\"xml_data\" type=\"s\" direction=\"out\"/>\n"
         "    </method>\n  </interface>\n" +
         introspect(path) + children + "</node>\n";
}

QString TAutomationServer::introspect(const QString& path) const {
  const QStringList parts = path.split('/', Qt::SkipEmptyParts);  // Bank, Class, n
  if (parts.size() == 2 && FindInterface(parts[1]))
    return "  <interface name=\"org.zelvaro.Bank.Factory\">\n    <method name=\"Create\">\n"
           "      <arg name=\"Object\" type=\"o\" direction=\"out\"/>\n    </method>\n"
           "  </interface>\n";
  const auto it = fObjects.find(path);
  return it == fObjects.end() ? QString() : IntrospectionXml(*it->second.interface);
}

bool TAutomationServer::handleMessage(const QDBusMessage& message, const QDBusConnection&) {
  // Domain objects live on the main thread: calls are brought there.
  if (QThread::currentThread() != thread())
    QMetaObject::invokeMethod(
        this, [this, message] { Dispatch(message); }, Qt::BlockingQueuedConnection);
  else
    Dispatch(message);
  return true;
}

void TAutomationServer::Dispatch(const QDBusMessage& message) {
  const QString path = message.path();
  const QStringList parts = path.split('/', Qt::SkipEmptyParts);
  QDBusMessage reply;
  if (message.interface() == "org.freedesktop.DBus.Introspectable") {
    reply = message.createReply(Introspection(path));
  } else if (parts.size() == 2 && message.member() == "Create" &&
             (message.interface().isEmpty() || message.interface() == kFactory) &&
             FindInterface(parts[1])) {
    reply = Create(*FindInterface(parts[1]), message);
  } else if (auto it = fObjects.find(path); it != fObjects.end()) {
    // An object belongs to the connection that created it.
    reply = it->second.owner == message.service()
                ? Call(it->second, message)
                : message.createErrorReply(QDBusError::AccessDenied,
                                           "Das Objekt " + path + " gehört einem anderen Programm");
  } else {
    reply = message.createErrorReply(QDBusError::UnknownObject, "Kein Objekt " + path);
  }
  QDBusConnection::sessionBus().send(reply);
}

QDBusMessage TAutomationServer::Create(const TInterface& i, const QDBusMessage& message) {
  int& owned = fOwned[message.service()];
  if (owned >= kMaxObjectsPerClient)
    return message.createErrorReply(
        QDBusError::LimitsExceeded,
        QString("Höchstens %1 Objekte je Verbindung; bitte nicht mehr benötigte mit Release "
                "freigeben")
            .arg(kMaxObjectsPerClient));
  ++owned;
  auto object = std::make_unique<TAutomationObject>();
  object->className = i.className;
  object->proxy = CreateProxy(i);  // none without a data file: the calls say so
  const QString path = QString("/Bank/%1/%2").arg(i.className).arg(fNext++);
  fObjects[path] = Entry{std::move(object), &i, message.service()};
  fWatcher.addWatchedService(message.service());
  ++fCount;
  fIdle.stop();
  return message.createReply(QVariant::fromValue(QDBusObjectPath(path)));
}

QDBusMessage TAutomationServer::Call(Entry& e, const QDBusMessage& message) {
  const TInterface& i = *e.interface;
  const QString programId = QString("Bank.") + i.className;
  if (message.member() == "Release") {
    const QDBusMessage reply = message.createReply();
    Release(message.path());
    return reply;
  }
  if (!message.interface().isEmpty() && message.interface() != InterfaceName(i))
    return message.createErrorReply(QDBusError::UnknownInterface, message.interface());
  for (const TMethod& m : i.methods) {
    if (message.member() != m.name) continue;
    if (message.signature() != Signature(m))
      return message.createErrorReply(QDBusError::InvalidArgs,
                                      QString("%1 erwartet (%2)").arg(m.name, Signature(m)));
    if (m.needsProxy && !e.object->proxy)
      return message.createErrorReply(
          kUnexpected, QString("Es ist keine Datendatei geladen! (%1)").arg(programId));
    try {
      const QVariant result = m.call(*e.object, message.arguments());
      return m.result ? message.createReply(Typed(result, m.result)) : message.createReply();
    } catch (const std::exception& ex) {
      return message.createErrorReply(
          kUnexpected,
          QString::fromStdString(zel::Cp1252ToUtf8(ex.what())) + " (" + programId + ")");
    }
  }
  return message.createErrorReply(QDBusError::UnknownMethod, message.member());
}

void TAutomationServer::Release(const QString& path) {
  const auto it = fObjects.find(path);
  if (it == fObjects.end()) return;
  if (auto owned = fOwned.find(it->second.owner); owned != fOwned.end() && --owned->second == 0)
    fOwned.erase(owned);
  fObjects.erase(it);
  if (--fCount == 0 && fAutomation) fIdle.start(kGraceMs);
}

void TAutomationServer::ClientGone(const QString& owner) {
  for (auto it = fObjects.begin(); it != fObjects.end();) {
    const QString path = it->first;
    const bool ours = it->second.owner == owner;
    ++it;
    if (ours) Release(path);
  }
  fWatcher.removeWatchedService(owner);
}

}  // namespace zelgui
