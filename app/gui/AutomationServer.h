// The automation server on the session bus: a factory per class at
// /Bank/<Class> (org.zelvaro.Bank.Factory.Create), the created objects at
// /Bank/<Class>/<n> with their interface and Release(). Objects of a client
// that leaves the bus are released with it. Calls run on the main thread,
// one at a time.
#pragma once

#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>
#include <QTimer>
#include <atomic>
#include <map>
#include <memory>

#include "AutomationInterfaces.h"

namespace zelgui {

class TAutomationServer : public QDBusVirtualObject {
  Q_OBJECT

 public:
  // In automation mode the program ends shortly after its last object is
  // released, or after idleMs when no client ever creates one.
  TAutomationServer(bool automation, int idleMs = 20000);
  ~TAutomationServer() override;

  // Takes the service name on the session bus; false with the reason.
  bool Start(QString& error);
  int LiveObjects() const { return fCount.load(); }

  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;
  QString introspect(const QString& path) const override;

 signals:
  void LastObjectGone();

 private:
  struct Entry {
    std::unique_ptr<TAutomationObject> object;
    const TInterface* interface;
    QString owner;  // the client's unique bus name
  };
  void Dispatch(const QDBusMessage& message);
  QString Introspection(const QString& path) const;
  QDBusMessage Create(const TInterface& i, const QDBusMessage& message);
  QDBusMessage Call(Entry& e, const QDBusMessage& message);
  void Release(const QString& path);
  void ClientGone(const QString& owner);

  bool fAutomation;
  std::map<QString, Entry> fObjects;
  std::map<QString, int> fOwned;  // live objects per connection
  std::atomic<int> fCount{0};
  quint64 fNext = 1;
  QDBusServiceWatcher fWatcher;
  QTimer fIdle;
};

}  // namespace zelgui
