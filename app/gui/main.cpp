// zelvaro: the desktop window and the automation server on the session bus.
//
//   zelvaro                      window, and serves the bus while it runs
//   zelvaro -embedding           started by the bus: no window, ends with its last object
//   zelvaro -regserver           writes the bus activation file and interface XML
//   zelvaro -unregserver         removes them
//   zelvaro --version
//   zelvaro --screenshot FILE.png          the window as it appears at start (offscreen)
//   zelvaro --screenshot-result FILE.png   the result window after a search for "Berlin"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QScreen>
#include <cstdio>
#include <cstring>

#include "AutomationServer.h"
#include "Dialogs.h"
#include "FormMain.h"
#include "FormResult.h"
#include "Registration.h"
#include "StartMode.h"

namespace {

using namespace zelgui;

constexpr const char* kDescription = "Software zum Prüfen von Bankverbindungen";

int Registration(TStartMode mode, const QString& program) {
  QString error;
  const bool ok =
      mode == TStartMode::UnregServer ? UnregisterServer(error) : RegisterServer(program, error);
  if (!ok) std::fprintf(stderr, "%s\n", error.toUtf8().constData());
  return ok ? 0 : 1;
}

// Dialogs of a picture run: nothing waits for a user.
class TNoUser : public TDialogs {
 public:
  bool AskYesNo(QWidget*, const QString&, const QString&) override { return true; }
  void Inform(QWidget*, const QString&, const QString&) override {}
  TAnswer AskYesNoCancel(QWidget*, const QString&, const QString&) override { return Cancel; }
  QStringList OpenFiles(QWidget*, const QString&, const QString&) override { return {}; }
  QString SaveFile(QWidget*, const QString&, const QString&) override { return {}; }
  void ShowModal(QDialog& dialog) override { dialog.show(); }
};

// --screenshot FILE / --screenshot-result FILE: renders offscreen, saves, ends.
int Screenshot(int argc, char** argv, bool result, const char* file) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  UseWindowFont();
  TNoUser noUser;
  SetDialogs(&noUser);
  TFormMain window([] { return 0; });
  window.show();
  QWidget* shown = &window;
  if (result) {
    window.EditSearch->setText("Berlin");
    window.Search();
    shown = &window.FormResult();
  }
  QApplication::processEvents();
  const bool saved = shown->grab().save(file);
  SetDialogs(nullptr);
  if (!saved) std::fprintf(stderr, "%s kann nicht geschrieben werden\n", file);
  return saved ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i)
    if (!std::strcmp(argv[i], "--screenshot") || !std::strcmp(argv[i], "--screenshot-result"))
      return Screenshot(argc, argv, !std::strcmp(argv[i], "--screenshot-result"), argv[i + 1]);
  for (int i = 1; i < argc; ++i)
    if (QString(argv[i]) == "--version") {
      std::printf("Zelvaro %s - %s\n", ZEL_VERSION, kDescription);
      return 0;
    }
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const TStartMode mode = ParseStartMode(arguments);
  if (mode == TStartMode::RegServer || mode == TStartMode::UnregServer) {
    QCoreApplication core(argc, argv);  // no window, no display needed
    return Registration(mode, QCoreApplication::applicationFilePath());
  }
  if (mode == TStartMode::Automation && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");  // never shown: no display needed
  QApplication app(argc, argv);
  QApplication::setApplicationName("ZELVARO-Server");
  UseWindowFont();
  UseGermanTexts(app);
  QApplication::setApplicationVersion(ZEL_VERSION);
  QString error;
  RegisterServer(QCoreApplication::applicationFilePath(),
                 error);  // a plain start repairs the registration; failures ignored

  const bool automation = mode == TStartMode::Automation;
  TAutomationServer server(automation);
  if (!server.Start(error)) {
    std::fprintf(stderr, "%s\n", error.toUtf8().constData());
    if (automation) return 1;
  }
  if (automation)
    QObject::connect(&server, &TAutomationServer::LastObjectGone, &app, &QCoreApplication::quit);
  TFormMain window([&server] { return server.LiveObjects(); });
  if (!automation) {
    // Centred on the screen it opens on.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
      window.move(screen->availableGeometry().center() - window.rect().center());
    window.show();
  }
  return app.exec();
}
