// The main window's handlers: each builds its proxy, calls it, frees it and
// shows the answer in words.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextCursor>
#include <QThread>

#include "AtomicFile.h"
#include "Cp1252.h"
#include "Csv.h"
#include "Dialogs.h"
#include "FormMain.h"
#include "FormResult.h"
#include "Proxies.h"
#include "WindowTexts.h"
#include "ZelPackage.h"

namespace zelgui {
namespace {

using zel::TProxyZelProbeObject;

constexpr const char* kNoDataFile = "Es ist keine Datendatei geladen!";

// Texts between the window (UTF-8) and the domain (code page 1252).
std::string In(const QString& text) { return zel::Utf8ToCp1252(text.toStdString()); }
QString Out(const std::string& text) { return QString::fromStdString(zel::Cp1252ToUtf8(text)); }

// The hourglass while a call runs; the window shows it before the call.
class TBusyCursor {
 public:
  explicit TBusyCursor(Qt::CursorShape shape = Qt::WaitCursor) {
    QApplication::setOverrideCursor(shape);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// The answer to a database import, in words.
QString ImportText(int result, int type) {
  switch (result) {
    case 0: return "Ok";
    case 1: return QString("Falscher Datenbanktyp: %1").arg(type);
    case 2: return "ADO ist nicht installiert";
    case 3: return "Datenbank konnte nicht geöffnet werden";
    case 4: return "Datei konnte nicht geöffnet werden";
    case 5: return "Auszug konnte nicht geschrieben werden";
    case 6: return "Umsatz konnte nicht geschrieben werden";
    default: return QString("Es ist der unbekannte Fehler Nr. %1 aufgetreten").arg(result);
  }
}

}  // namespace

void TFormMain::Show(const QString& text, TDialogs::TKind kind) {
  Dialogs().Message(this, "Zelvaro", text, kind);
}

void TFormMain::FocusAndSelect(QLineEdit* edit) {
  edit->setFocus();
  edit->selectAll();
}

void TFormMain::CheckSingle() {
  auto p = TProxyZelProbeObject::Create("ZelProbeObject");
  if (!p) return Show(kNoDataFile);
  const std::string blz = In(EditBlz->text()) + "+";
  int code;
  QString text;
  {
    TBusyCursor busy;
    code = p->TestBlzKto(blz, In(EditKto->text()));
    text = QString("Ergebnis: %1\r\nErgebnistext: %2").arg(code).arg(Out(p->GetErrorMessage(code)));
    if (code == -3 || code >= 200)
      text += "\r\nNachfolge-BLZ: " + Out(p->GetBankName20(blz)).mid(7, 8);
  }
  Show(text);
  FocusAndSelect(EditBlz);
}

// A check of one input field: "Ergebnis: code (text)".
void TFormMain::CheckField(QLineEdit* edit,
                           std::int32_t (TProxyZelProbeObject::*check)(const std::string&)) {
  auto p = TProxyZelProbeObject::Create("ZelProbeObject");
  if (!p) return Show(kNoDataFile);
  const int code = ((*p).*check)(In(edit->text()));
  Show(QString("Ergebnis: %1 (%2)").arg(code).arg(Out(p->GetErrorMessage(code))));
  FocusAndSelect(edit);
}

void TFormMain::CheckIban() { CheckField(EditIban, &TProxyZelProbeObject::TestIban); }
void TFormMain::CheckCard() { CheckField(EditCC, &TProxyZelProbeObject::TestCC); }

// The matches, or every bank, into the result window. A long list lets
// the window breathe every thousand lines.
void TFormMain::Search() {
  auto p = TProxyZelProbeObject::Create("ZelProbeObject");
  if (!p) return Show(kNoDataFile);
  QPlainTextEdit* memo = fResult->MemoBanken();
  memo->clear();
  const std::string text = In(EditSearch->text());
  QStringList lines;
  {
    TBusyCursor busy;
    const bool all = text.empty();
    std::string blz = all ? p->GetFirstBank() : p->GetFirstMatch(text, CheckFragments->isChecked());
    for (; !blz.empty(); blz = all ? p->GetNextBank() : p->GetNextMatch()) {
      lines << Out(blz) + "\t" + Out(p->GetBankName27(blz));
      if (lines.size() % 1000 == 0) QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
  }
  memo->setPlainText(lines.join('\n'));
  Dialogs().ShowModal(*fResult);
  FocusAndSelect(EditSearch);
}

void TFormMain::BankData() {
  auto p = TProxyZelProbeObject::Create("ZelProbeObject");
  if (!p) return Show(kNoDataFile);
  const std::string blz = In(EditBankdaten->text());
  const QString lines[] = {
      "Name58\t" + Out(p->GetBankName58(blz)), "Name27\t" + Out(p->GetBankName27(blz)),
      "Plz\t" + Out(p->GetBankPlz(blz)),       "Ort\t" + Out(p->GetBankOrt(blz)),
      "BIC\t" + Out(p->GetBic(blz)),           "Status\t" + Out(p->GetBankName20(blz + "+")),
  };
  MemoBankdaten->clear();
  for (const QString& l : lines) MemoBankdaten->appendPlainText(l);
  MemoBankdaten->moveCursor(QTextCursor::Start);
  FocusAndSelect(EditBankdaten);
}

void TFormMain::MakeIban() {
  if (EditIbanBlz->text().size() != 8) return Show("Die Bankleitzahl muss 8 Stellen lang sein!");
  auto p = TProxyZelProbeObject::Create("ZelProbeObject");
  if (!p) return Show(kNoDataFile);
  const std::string answer =
      p->GetIban(In(EditIbanBlz->text()) + "*", In(EditIBanKto->text()), CheckSpaces->isChecked());
  if (!answer.empty() && answer[0] == '*') {
    Show(Out(zel::IbanFailureText(*p, answer)));
  } else {
    const std::size_t tilde = answer.find('~');
    EditIbanResult->setText(Out(answer.substr(0, tilde)));
    EditBicResult->setText(tilde == std::string::npos ? QString() : Out(answer.substr(tilde + 1)));
    // Read from its start, should a font ever make it wider than the field.
    EditIbanResult->setCursorPosition(0);
  }
  FocusAndSelect(EditIbanBlz);
}

void TFormMain::QueryBic() {
  auto p = zel::TProxyZelSepaObject::Create("ZelSepaObject");
  if (!p) return Show(kNoDataFile);
  const std::string bic = In(EditBic->text());
  const auto query = [&](const char* scheme) {
    return p->SepaCommand("BICSCL", 0, 0, 0, bic, scheme, "");
  };
  const int sct = query("SCT");
  QString text;
  if (sct == 13) {
    text = "BIC " + EditBic->text() + " nicht im SCL-Directory gefunden";
  } else {
    text = Out(p->GetLastError()) + ", SCT=" + zel::SclFlag(sct);
    text += QString(", SDD=") + zel::SclFlag(query("SDD"));
    text += QString(", COR1=") + zel::SclFlag(query("COR1"));
    text += QString(", B2B=") + zel::SclFlag(query("B2B"));
  }
  Show(text);
  FocusAndSelect(EditBic);
}

void TFormMain::Workdays() {
  auto p = zel::TProxyZelArbeitObject::Create("ZelArbeitObject");
  if (!p) return Show(kNoDataFile);
  const int i = ComboBoxMonat->currentIndex();
  const int month = i < 12 ? i + 1 : i < 16 ? i + 29 : 0;
  bool ok = false;
  int year = EditJahr->text().toInt(&ok);
  if (!ok) year = QDate::currentDate().year();
  int holidays = 0;
  for (QCheckBox* c : findChildren<QCheckBox*>())
    if (c->objectName().startsWith("CheckBoxHoliday") && c->isChecked())
      holidays += c->property("tag").toInt();
  const int days = p->Arbeitstage(year, month, CheckSaturday->isChecked() ? 1 : 0, holidays);
  Show(QString("Ergebnis: %1 Arbeitstage.").arg(days));
}

void TFormMain::ImportStatements() {
  // camt (also in ZIP archives) and MT940: the reader tells them by content.
  const QStringList files = Dialogs().OpenFiles(
      this, "MT940-Datei(en) auswählen",
      "Kontoauszüge (*.xml *.zip *.sta);;camt-Dateien (*.xml *.zip);;MT940-Dateien (*.sta);;"
      "Alle Dateien (*)");
  if (files.isEmpty()) return;
  auto p = zel::TProxyZelReadObject::Create("ZelReadObject");
  if (!p) return Show(kNoDataFile);
  const int type = RadioMssql->isChecked() ? 1 : 0;
  const bool windowsAuth = RadioMssql->isChecked() && RadioWindowsAuth->isChecked();
  bool ok = false;
  int userId = EditUserId->text().toInt(&ok);
  if (!ok) userId = 0;
  for (int i = 0; i < files.size(); ++i) {
    int r;
    {
      TBusyCursor busy(Qt::BusyCursor);
      r = p->ReadMt940(type, In(EditDbName->text()), windowsAuth ? "" : In(EditUser->text()),
                       windowsAuth ? "" : In(EditPassword->text()), In(files[i]),
                       In(EditTranslations->text()), userId);
    }
    Show("Datei " + QFileInfo(files[i]).fileName() + ": " + ImportText(r, type) +
         ". Ggf. zusätzliche Information: " + Out(p->GetLastError()));
    if (r != 0 && i + 1 < files.size()) {
      Show("Abbruch. Die restlichen Dateien werden nicht mehr eingelesen.");
      return;
    }
  }
}

// The batch check of a text file, with a progress dialog that can cancel.
void TFormMain::CheckCsvFile() {
  auto p = TProxyZelProbeObject::Create("ZelProbeObject");
  if (!p) return Show(kNoDataFile);
  const QString filter = "Textdateien (*.txt *.csv);;Alle Dateien (*)";
  const QStringList input = Dialogs().OpenFiles(this, "Datei zum Prüfen auswählen", filter);
  if (input.isEmpty()) return;
  zel::TCsvBatch job;
  job.input = input.first().toStdString();
  job.append = CheckAppend->isChecked();
  if (job.append) {
    const QString out = Dialogs().SaveFile(this, "Ergebnisdatei auswählen", filter);
    if (out.isEmpty()) return;
    job.output = out.toStdString();
  }
  job.jobs = std::max(1, QThread::idealThreadCount());
  job.separator = RadioSemicolon->isChecked() ? ';' : RadioTab->isChecked() ? '\t' : ',';
  bool ok = false;
  job.blzColumn = EditBlzColumn->text().toInt(&ok);
  if (!ok || job.blzColumn < 1) job.blzColumn = 13;
  job.ktoColumn = EditKtoColumn->text().toInt(&ok);
  if (!ok || job.ktoColumn < 1) job.ktoColumn = 12;
  const qint64 size = QFileInfo(input.first()).size();
  QProgressDialog progress("Datei wird geprüft ...", "Abbrechen", 0, 1000, this);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(500);
  job.progress = [&](std::uint64_t done) {
    progress.setValue(size > 0 ? static_cast<int>(done * 1000 / static_cast<std::uint64_t>(size))
                               : 0);
    QApplication::processEvents();
    return !progress.wasCanceled();
  };
  zel::TCsvBatchResult r;
  {
    TBusyCursor busy;
    r = zel::CsvBatchCheck(*p, job);
  }
  progress.reset();
  if (r.status == zel::TCsvBatchResult::kCancelled) return Show("Die Prüfung wurde abgebrochen.");
  if (r.status != zel::TCsvBatchResult::kDone) return Show(QString::fromStdString(r.message));
  Show(QString("Fertig! Ergebnis in %1 (%2 Bankverbindung%3 geprüft, %4 Fehler)")
           .arg(QString::fromStdString(r.output))
           .arg(r.checked)
           .arg(r.checked == 1 ? "" : "en")
           .arg(r.errors));
}

void TFormMain::CheckDtausFile() {
  auto p = zel::TProxyZelDtausObject::Create("ZelDtausObject");
  if (!p) return Show(kNoDataFile);
  const QStringList input = Dialogs().OpenFiles(this, "Datei zum Prüfen auswählen",
                                                "DTAUS-Dateien (*.dta);;Alle Dateien (*)");
  if (input.isEmpty()) return;
  const QString file = input.first();
  int r;
  {
    TBusyCursor busy;
    r = p->CheckFile(In(file));
  }
  if (r < 0) return Show(Out(p->GetErrorMessage(r)) + " " + Out(p->GetLastError()));
  if (r != 0)
    Show(QString("Es wurde%1 %2 Fehler in %3 festgestellt. Die Fehlerliste finden Sie in %4")
             .arg(r == 1 ? "" : "n")
             .arg(r)
             .arg(file, QString::fromStdString(zel::PathWithExtension(file.toStdString(), ".out"))),
         TDialogs::Warning);
  else
    Show("Es wurden keine Fehler in " + file + " festgestellt.", TDialogs::Information);
  QString totals[4];
  for (int i = 0; i < 4; ++i) {
    p->CheckFile(std::string("*") + static_cast<char>('A' + i));
    totals[i] = Out(p->GetLastError());
  }
  Show("Daten für Diskettenbegleitzettel:\r\nAnzahl Datensätze C: " + totals[0] +
       "\r\nSumme der Beträge: " + totals[1] + "\r\nSumme der Kontonummern: " + totals[2] +
       "\r\nSumme der Bankleitzahlen: " + totals[3]);
}

// Ctrl+Shift+F8: the export and import of the mandate database, in turn.
void TFormMain::HiddenTest() {
  auto p = zel::TProxyZelSepaObject::Create("ZelSepaObject");
  if (!p) return Show(kNoDataFile);
  const QString file = QDir::homePath() + "/x.txt";
  Show("GetTempList = " + Out(p->GetTempList()));
  int r = p->ExportToFile(-4711, In(file));
  Show(QString("Result(ExportToFile(\"%1\")) = %2").arg(file).arg(r));
  Show("GetLastError = " + Out(p->GetLastError()));
  r = p->ImportFromFile(-4711, In(file));
  Show(QString("Result(ImportFromFile(\"%1\")) = %2").arg(file).arg(r));
  Show("GetLastError = " + Out(p->GetLastError()));
}

}  // namespace zelgui
