#include "Dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace zelgui {
namespace {

class TMessageBoxes : public TDialogs {
 public:
  bool AskYesNo(QWidget* parent, const QString& title, const QString& text) override {
    return QMessageBox::warning(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
  }
  void Inform(QWidget* parent, const QString& title, const QString& text) override {
    QMessageBox::information(parent, title, text);
  }
  TAnswer AskYesNoCancel(QWidget* parent, const QString& title, const QString& text) override {
    const auto r = QMessageBox::question(parent, title, text,
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return r == QMessageBox::Yes ? Yes : r == QMessageBox::No ? No : Cancel;
  }
  QStringList OpenFiles(QWidget* parent, const QString& title, const QString& filter) override {
    return QFileDialog::getOpenFileNames(parent, title, QString(), filter);
  }
  QString SaveFile(QWidget* parent, const QString& title, const QString& filter) override {
    return QFileDialog::getSaveFileName(parent, title, QString(), filter);
  }
  void ShowModal(QDialog& dialog) override { dialog.exec(); }
};

TDialogs* gDialogs = nullptr;

}  // namespace

TDialogs& Dialogs() {
  static TMessageBoxes boxes;
  return gDialogs ? *gDialogs : boxes;
}

void SetDialogs(TDialogs* dialogs) { gDialogs = dialogs; }

}  // namespace zelgui
