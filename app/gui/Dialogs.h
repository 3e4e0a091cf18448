// The window's questions and messages go through this one interface, so
// that tests can answer them.
#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;
class QDialog;
class QWidget;

namespace zelgui {

class TDialogs {
 public:
  virtual ~TDialogs() = default;
  // A question with Yes and No, No the default; true for Yes.
  virtual bool AskYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
  virtual void Inform(QWidget* parent, const QString& title, const QString& text) = 0;
  // A message with OK of a kind: plain (no icon), information, warning or
  // an error; by default as Inform.
  enum TKind { Plain, Information, Warning, Critical };
  virtual void Message(QWidget* parent, const QString& title, const QString& text, TKind kind) {
    (void)kind;
    Inform(parent, title, text);
  }
  enum TAnswer { Yes, No, Cancel };
  virtual TAnswer AskYesNoCancel(QWidget* parent, const QString& title, const QString& text) = 0;
  // Existing files to open; empty when cancelled.
  virtual QStringList OpenFiles(QWidget* parent, const QString& title, const QString& filter) = 0;
  // A file to write, asking before an existing one is replaced; empty when
  // cancelled.
  virtual QString SaveFile(QWidget* parent, const QString& title, const QString& filter) = 0;
  // Shows a window modally.
  virtual void ShowModal(QDialog& dialog) = 0;
};

// The dialogs in use (message boxes unless a test put its own).
TDialogs& Dialogs();
// Puts dialogs in place (nullptr: the message boxes again).
void SetDialogs(TDialogs* dialogs);
// The extension of a filter's first pattern ("Datei (*.dta)" gives "dta").
QString DefaultSuffix(const QString& filter);
// Qt's own texts (buttons, file dialogs) in German; false when Qt's German
// translations (qt6-translations-l10n) are not installed.
bool UseGermanTexts(QCoreApplication& app);
// The program's font: the desktop's sans serif at 11 pixels.
void UseWindowFont();

}  // namespace zelgui
