#include "Dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTranslator>

#include "ZelPackage.h"

namespace zelgui {
namespace {

QString gLastFolder;

// The folder a file dialog opens in: the last one used, else the data
// directory.
QString StartFolder() {
  return gLastFolder.isEmpty() ? QString::fromStdString(zel::ZelPackage()->GetDataDirectory())
                               : gLastFolder;
}

void Remember(const QString& file) {
  if (!file.isEmpty()) gLastFolder = QFileInfo(file).absolutePath();
}

class TMessageBoxes : public TDialogs {
 public:
  bool AskYesNo(QWidget* parent, const QString& title, const QString& text) override {
    return QMessageBox::warning(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
  }
  void Inform(QWidget* parent, const QString& title, const QString& text) override {
    Message(parent, title, text, Plain);
  }
  void Message(QWidget* parent, const QString& title, const QString& text, TKind kind) override {
    static constexpr QMessageBox::Icon kIcons[] = {QMessageBox::NoIcon, QMessageBox::Information,
                                                   QMessageBox::Warning, QMessageBox::Critical};
    QMessageBox box(kIcons[kind], title, text, QMessageBox::Ok, parent);
    box.exec();
  }
  TAnswer AskYesNoCancel(QWidget* parent, const QString& title, const QString& text) override {
    const auto r = QMessageBox::question(parent, title, text,
                                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return r == QMessageBox::Yes ? Yes : r == QMessageBox::No ? No : Cancel;
  }
  QStringList OpenFiles(QWidget* parent, const QString& title, const QString& filter) override {
    const QStringList files = QFileDialog::getOpenFileNames(parent, title, StartFolder(), filter);
    Remember(files.value(0));
    return files;
  }
  // With the filter's extension added to a name typed without one.
  QString SaveFile(QWidget* parent, const QString& title, const QString& filter) override {
    QFileDialog dialog(parent, title, StartFolder(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(DefaultSuffix(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    Remember(dialog.selectedFiles().first());
    return dialog.selectedFiles().first();
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

QString DefaultSuffix(const QString& filter) {
  const QRegularExpressionMatch m = QRegularExpression("\\*\\.([A-Za-z0-9]+)").match(filter);
  return m.hasMatch() ? m.captured(1) : QString();
}

void UseWindowFont() {
  QFont font("Sans Serif");
  font.setPixelSize(11);
  QApplication::setFont(font);
}

bool UseGermanTexts(QCoreApplication& app) {
  static QTranslator translator;
  const bool loaded = translator.load(QLocale(QLocale::German, QLocale::Germany), "qtbase", "_",
                                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
                      translator.load("qtbase_de", "/usr/share/qt6/translations");
  if (loaded) app.installTranslator(&translator);
  return loaded;
}

}  // namespace zelgui
