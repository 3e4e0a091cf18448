#include "FormMain.h"

#include <QCloseEvent>
#include <QLabel>

#include "Cp1252.h"
#include "Dialogs.h"
#include "ZelPackage.h"

namespace zelgui {

TFormMain::TFormMain(std::function<int()> liveObjects, QWidget* parent)
    : QMainWindow(parent), fLiveObjects(std::move(liveObjects)) {
  setWindowTitle("Zelvaro");
  setFixedSize(800, 561);
  const std::string file = zel::ZelPackage()->GetCurrentFileName();
  auto* label =
      new QLabel(file.empty() ? QString("Es ist keine Datendatei geladen!")
                              : "Datendatei: " + QString::fromStdString(zel::Cp1252ToUtf8(file)),
                 this);
  setCentralWidget(label);
}

void TFormMain::closeEvent(QCloseEvent* event) {
  if (fLiveObjects && fLiveObjects() > 0 &&
      !Dialogs().AskYesNo(this, "Zelvaro",
                          "Es sind noch Automatisierungsobjekte aktiv. Programme, die sie "
                          "benutzen, können fehlschlagen.\n\nTrotzdem beenden?")) {
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace zelgui
