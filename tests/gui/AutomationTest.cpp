// The automation server as other programs use it: over a private session
// bus (tests/scripts/bus_test.sh starts it, the bus starts zelvaro), from
// this client, which is not the program.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <atomic>
#include <thread>
#include <vector>

namespace {

constexpr const char* kService = "org.zelvaro.Bank";

QDBusMessage Call(const QString& path, const QString& iface, const QString& method,
                  const QVariantList& args = {},
                  QDBusConnection bus = QDBusConnection::sessionBus()) {
  QDBusMessage m = QDBusMessage::createMethodCall(kService, path, iface, method);
  m.setArguments(args);
  return bus.call(m, QDBus::Block, 60000);
}

QString Create(const QString& cls, QDBusConnection bus = QDBusConnection::sessionBus()) {
  const QDBusMessage r = Call("/Bank/" + cls, "org.zelvaro.Bank.Factory", "Create", {}, bus);
  EXPECT_EQ(r.type(), QDBusMessage::ReplyMessage) << r.errorMessage().toStdString();
  return r.arguments().value(0).value<QDBusObjectPath>().path();
}

// Calls a method of an object and gives its one result.
QVariant On(const QString& path, const QString& method, const QVariantList& args = {},
            QDBusConnection bus = QDBusConnection::sessionBus()) {
  const QString cls = path.section('/', 2, 2);
  const QDBusMessage r = Call(path, "org.zelvaro.Bank.I" + cls, method, args, bus);
  EXPECT_EQ(r.type(), QDBusMessage::ReplyMessage)
      << method.toStdString() << ": " << r.errorMessage().toStdString();
  return r.arguments().value(0);
}

void Release(const QString& path) { On(path, "Release"); }

// The process that owns the service name now (0: none).
uint OwnerPid() {
  auto* bus = QDBusConnection::sessionBus().interface();
  if (!bus->isServiceRegistered(kService)) return 0;
  return bus->servicePid(kService);
}

bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
  for (int waited = 0; waited < ms; waited += 50) {
    if (done()) return true;
    QThread::msleep(50);
  }
  return done();
}

// A value of a D-Bus type for a call that only has to go through.
QVariant Dummy(const QString& type) {
  if (type == "s") return QString();
  if (type == "x") return QVariant::fromValue<qlonglong>(0);
  return QVariant::fromValue<int>(0);
}

TEST(Automation, EveryMethodOfEveryInterface) {
  const QStringList classes = {"ZelProbe", "ZelArbeit", "ZelSwift", "ZelDtaus",
                               "ZelRead",  "ZelSepa",   "ZelUpdate"};
  int methods = 0;
  for (const QString& cls : classes) {
    const QString path = Create(cls);
    const QString xml = Call(path, "org.freedesktop.DBus.Introspectable", "Introspect")
                            .arguments()
                            .value(0)
                            .toString();
    EXPECT_TRUE(xml.contains("name=\"org.zelvaro.Bank.I" + cls + "\"")) << cls.toStdString();
    EXPECT_TRUE(xml.contains("org.zelvaro.Bank.DispatchId\" value=\"201\""));
    const QRegularExpression method("<method name=\"(\\w+)\">(.*?)</method>",
                                    QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression arg("<arg name=\"\\w+\" type=\"(\\w)\" direction=\"in\"/>");
    for (auto m = method.globalMatch(xml); m.hasNext();) {
      const auto match = m.next();
      // Introspect is the bus's own; SetDataDirectory would move the data away.
      if (match.captured(1) == "Introspect" || match.captured(1) == "SetDataDirectory") continue;
      QVariantList args;
      for (auto a = arg.globalMatch(match.captured(2)); a.hasNext();)
        args << Dummy(a.next().captured(1));
      On(path, match.captured(1), args);
      ++methods;
    }
    Release(path);
  }
  EXPECT_EQ(methods, 73);  // all but SetDataDirectory
}

TEST(Automation, FixedAnswers) {
  const QString probe = Create("ZelProbe"), arbeit = Create("ZelArbeit");
  EXPECT_EQ(On(probe, "TestBlzKto", {"37040044", "1234567890"}).toInt(), 13);
  EXPECT_EQ(On(probe, "GetLastError").toString(), "Keine weiteren Informationen verfügbar.");
  EXPECT_EQ(On(probe, "Init").toInt(), 0);
  EXPECT_EQ(On(probe, "InitFile", {"/etc/passwd"}).toInt(), 0);
  EXPECT_EQ(On(arbeit, "GetErrorMessage", {7}).toString(), "Fehler Nr. 7 ist unbekannt.");
  EXPECT_EQ(On(arbeit, "GetErrorMessage", {-3}).toString(), "Fehler Nr. -3 ist unbekannt.");
  EXPECT_EQ(On(arbeit, "Arbeitstage", {2024, 5, 0, 0}).toInt(), 21);
  for (const char* blz : {"37040044", "10000000", "99999999", "#9"})
    EXPECT_EQ(On(probe, "GetBankName", {blz}), On(probe, "GetBankName27", {blz}));
  EXPECT_EQ(On(probe, "GetIban", {"37040044", "532013000", 0}).toString(),
            "DE89370400440532013000");
  EXPECT_EQ(On(probe, "GetIban", {"37040044", "532013000", 2}),
            On(probe, "GetIban", {"37040044", "532013000", 1}));
  // Amounts travel as 1/10000 in 64 bits, texts as UTF-8.
  const QString sepa = Create("ZelSepa");
  EXPECT_EQ(On(sepa, "GetErrorMessage", {160}).toString(), "Ungültige Parameter");
  for (const QString& p : {probe, arbeit, sepa}) Release(p);
}

TEST(Automation, TwoProbesEnumerateIndependently) {
  const QString a = Create("ZelProbe"), b = Create("ZelProbe");
  const QString first = On(a, "GetFirstBank").toString();
  EXPECT_EQ(On(b, "GetFirstBank").toString(), first);
  const QString second = On(a, "GetNextBank").toString();
  On(a, "GetNextBank");
  EXPECT_EQ(On(b, "GetNextBank").toString(), second);
  Release(a);
  Release(b);
}

// A client that leaves without releasing loses its objects.
TEST(Automation, ObjectsOfAClientThatLeaves) {
  const QString mine = Create("ZelProbe");  // keeps the server alive
  QProcess gdbus;
  gdbus.start("gdbus", {"call", "--session", "--dest", kService, "--object-path", "/Bank/ZelProbe",
                        "--method", "org.zelvaro.Bank.Factory.Create"});
  ASSERT_TRUE(gdbus.waitForFinished(30000));
  const QString theirs = QString(gdbus.readAllStandardOutput()).section('\'', 1, 1);
  ASSERT_TRUE(theirs.startsWith("/Bank/ZelProbe/")) << theirs.toStdString();
  EXPECT_TRUE(WaitFor([&] {
    return Call(theirs, "org.zelvaro.Bank.IZelProbe", "Init").type() == QDBusMessage::ErrorMessage;
  }));
  EXPECT_EQ(On(mine, "Init").toInt(), 0);
  Release(mine);
}

// An object answers only the connection that created it; one connection
// holds at most 10,000 live objects.
TEST(Automation, ObjectsBelongToTheirConnection) {
  const QString mine = Create("ZelProbe");
  const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
  {
    QDBusConnection other = QDBusConnection::connectToBus(address, "intruder");
    for (const char* method : {"Init", "Release"}) {
      const QDBusMessage r = Call(mine, "org.zelvaro.Bank.IZelProbe", method, {}, other);
      EXPECT_EQ(r.errorName(), "org.freedesktop.DBus.Error.AccessDenied") << method;
    }
  }
  QDBusConnection::disconnectFromBus("intruder");
  EXPECT_EQ(On(mine, "Init").toInt(), 0);  // still there, still mine
  QStringList many;
  QDBusMessage refused;
  for (int i = 0; i < 10000 && refused.type() != QDBusMessage::ErrorMessage; ++i) {
    const QDBusMessage r = Call("/Bank/ZelArbeit", "org.zelvaro.Bank.Factory", "Create", {});
    if (r.type() == QDBusMessage::ErrorMessage)
      refused = r;
    else
      many << r.arguments().value(0).value<QDBusObjectPath>().path();
  }
  EXPECT_EQ(many.size(), 9999);  // with the first one: 10,000
  EXPECT_EQ(refused.errorName(), "org.freedesktop.DBus.Error.LimitsExceeded");
  for (const QString& p : many) Release(p);
  Release(mine);
}

// Eight clients at once, each on its own connection: every answer is its own.
TEST(Automation, ConcurrentClients) {
  const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
  std::atomic<int> wrong{0};
  std::vector<std::thread> clients;
  for (int c = 0; c < 8; ++c)
    clients.emplace_back([&, c] {
      const QString name = QString("client%1").arg(c);
      {
        QDBusConnection bus = QDBusConnection::connectToBus(address, name);
        const QString path = Create("ZelArbeit", bus);
        for (int i = 0; i < 40; ++i) {
          const int month = 1 + (c + i) % 12;
          const QVariant n = On(path, "Arbeitstage", {2024, month, 0, 0}, bus);
          const QVariant again = On(path, "Arbeitstage", {2024, month, 0, 0}, bus);
          if (n != again || n.toInt() < 18 || n.toInt() > 23) ++wrong;
        }
        On(path, "Release", {}, bus);
      }
      QDBusConnection::disconnectFromBus(name);
    });
  for (auto& t : clients) t.join();
  EXPECT_EQ(wrong.load(), 0);
}

// Without a data file (ZELVARO_DATA_DIR empty) the objects exist, the
// forwarding methods answer with the error naming the class, the fixed
// ones still answer. Run with --gtest_filter on a bus whose server has no
// data.
TEST(NoDataFile, ForwardingMethodsAnswerWithTheError) {
  const QString probe = Create("ZelProbe");
  const QDBusMessage r = Call(probe, "org.zelvaro.Bank.IZelProbe", "TestBlzKto", {"1", "2"});
  EXPECT_EQ(r.errorName(), "org.zelvaro.Bank.Error.Unexpected");
  EXPECT_TRUE(r.errorMessage().contains("Bank.ZelProbe")) << r.errorMessage().toStdString();
  EXPECT_EQ(On(probe, "Init").toInt(), 0);
  EXPECT_EQ(On(probe, "GetLastError").toString(), "Keine weiteren Informationen verfügbar.");
  const QString update = Create("ZelUpdate");
  EXPECT_EQ(On(update, "GetCurrentFileName").toString(), "");
  Release(probe);
  Release(update);
}

// The server started by the bus ends with its last object; one started by
// a user stays. Runs last: it ends the server.
TEST(Lifetime, AutomationEndsWithTheLastObjectWindowModeStays) {
  const QString path = Create("ZelProbe");
  const uint pid = OwnerPid();
  ASSERT_NE(pid, 0u);
  Release(path);
  EXPECT_TRUE(WaitFor([] { return OwnerPid() == 0; }));
  QProcess window;
  window.setProcessEnvironment([] {
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
  }());
  window.start(qEnvironmentVariable("ZELVARO"), {});
  ASSERT_TRUE(window.waitForStarted());
  ASSERT_TRUE(WaitFor([] { return OwnerPid() != 0; }));
  Release(Create("ZelProbe"));
  QThread::msleep(500);
  EXPECT_EQ(window.state(), QProcess::Running);
  EXPECT_EQ(OwnerPid(), static_cast<uint>(window.processId()));
  window.terminate();
  window.waitForFinished(10000);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
