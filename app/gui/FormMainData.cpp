// The main window's data file management (activate, unpack, the update
// server) and its sample payment files.

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "Cp1252.h"
#include "Dialogs.h"
#include "FormMain.h"
#include "Proxies.h"
#include "WindowTexts.h"
#include "ZelPackage.h"

namespace zelgui {
namespace {

constexpr const char* kNoDataFile = "Es ist keine Datendatei geladen!";
// Nine new digits are drawn at most this often for one sample account.
constexpr int kAccountAttempts = 50;

std::string In(const QString& text) { return zel::Utf8ToCp1252(text.toStdString()); }
QString Out(const std::string& text) { return QString::fromStdString(zel::Cp1252ToUtf8(text)); }

// "Ergebnis WriteFile: 7 (text), Last Error = details"
template <class P>
QString Outcome(P& p, const char* what, int code) {
  return QString("Ergebnis %1: %2 (%3), Last Error = %4")
      .arg(what)
      .arg(code)
      .arg(Out(p.GetErrorMessage(code)), Out(p.GetLastError()));
}

QString WithSlash(QString dir) { return dir.endsWith('/') ? dir : dir + '/'; }

}  // namespace

void TFormMain::ShowDirectory() {
  const QString dir = Out(zel::ZelPackage()->GetDataDirectory());
  // A long path is shortened in its middle; the tip shows it whole.
  LabelDirectory->setText(QFontMetrics(LabelDirectory->font())
                              .elidedText(dir, Qt::ElideMiddle, LabelDirectory->width()));
  LabelDirectory->setToolTip(dir);
}

// The active data file, and the groups its bank data allows.
void TFormMain::RefreshDataFile() {
  const QString file = Out(zel::ZelPackage()->GetCurrentFileName());
  LabelDataFile->setText(file);
  ShowDirectory();
  auto p = file.isEmpty() ? nullptr : zel::TProxyZelProbeObject::Create("ZelProbeObject");
  if (file.isEmpty()) LabelDataFile->setText("*** KEINE ***");
  const QStringList fields = p ? Out(p->GetVersionExtended()).split('~') : QStringList();
  const QString year = fields.value(1), quarter = fields.value(2);
  EnableGroup(GroupIban, p && AllowsIban(year, quarter));
  EnableGroup(GroupBic, p && AllowsScl(year, quarter));
}

void TFormMain::ActivateDataFile() {
  auto* pkg = zel::ZelPackage();
  const QString newest = Out(pkg->GetNewestFileName());
  TDialogs::TAnswer answer = TDialogs::No;
  if (newest.isEmpty())
    Show("Im aktuellen Verzeichnis " + Out(pkg->GetDataDirectory()) +
             " sind keine Datendateien vorhanden!\r\nSie müssen daher im folgenden Dialog ein "
             "anderes Verzeichnis auswählen.",
         TDialogs::Warning);
  else
    answer = Dialogs().AskYesNoCancel(
        this, "Zelvaro",
        "Die aktuellste vorhandene Datendatei ist " + newest + ". Diese verwenden?");
  QString file = newest;
  if (answer == TDialogs::No) {
    const QStringList chosen = Dialogs().OpenFiles(
        this, "Datendatei auswählen", "Windows-Bank-Dateien (*.wbd);;Alle Dateien (*)");
    if (chosen.isEmpty()) answer = TDialogs::Cancel;
    if (!chosen.isEmpty()) {
      const QString dir = WithSlash(QFileInfo(chosen.first()).absolutePath());
      if (dir != Out(pkg->GetDataDirectory())) {
        pkg->SetDataDirectory(In(dir));
        ShowDirectory();
      }
      file = QFileInfo(chosen.first()).fileName();
    }
  }
  if (answer == TDialogs::Cancel)
    return Show("Es wurde keine neue Datendatei geladen.", TDialogs::Warning);
  const int r = pkg->Activate(In(file));
  Show(QString::fromStdString(zel::ActivationText(r, file.toStdString(),
                                                  zel::Cp1252ToUtf8(pkg->GetCurrentFileName()),
                                                  zel::Cp1252ToUtf8(pkg->GetLastError()))),
       r == 0    ? TDialogs::Plain
       : r == 14 ? TDialogs::Critical
                 : TDialogs::Warning);
  RefreshDataFile();
}

void TFormMain::UnpackPackage() {
  auto* pkg = zel::ZelPackage();
  const QStringList chosen = Dialogs().OpenFiles(this, "Gepackte Datei zum Entpacken auswählen",
                                                 "Windows-Bank-Pakete (*.wbp);;Alle Dateien (*)");
  if (chosen.isEmpty()) return;
  const QString dir = WithSlash(QFileInfo(chosen.first()).absolutePath());
  if (dir != Out(pkg->GetDataDirectory())) {
    pkg->SetDataDirectory(In(dir));
    ShowDirectory();
  }
  const QString name = QFileInfo(chosen.first()).fileName();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const int r = pkg->Unpack(In(name));
  QApplication::restoreOverrideCursor();
  Show(QString::fromStdString(zel::UnpackText(r, name.toStdString())));
}

// The window's proxy and time-out fields go to the package object first.
void TFormMain::AskUpdateServer(bool download) {
  auto* pkg = zel::ZelPackage();
  pkg->UpdateSetProxy(In(EditProxyHost->text()), EditProxyPort->text().toInt());
  bool ok = false;
  const int timeout = EditTimeout->text().toInt(&ok);
  if (ok && timeout > 0) pkg->UpdateSetTimeout(timeout);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const std::string user = In(EditServerUser->text()), password = In(EditServerPassword->text());
  const QString answer = Out(download ? pkg->UpdateServerDownload(user, password)
                                      : pkg->UpdateServerCheck(user, password));
  QApplication::restoreOverrideCursor();
  Show(QString::fromStdString(zel::UpdateServerText(answer.toStdString(), download)));
}

void TFormMain::SampleDtaus() {
  auto d = zel::TProxyZelDtausObject::Create("ZelDtausObject");
  auto p = zel::TProxyZelProbeObject::Create("ZelProbeObject");
  if (!d || !p) return Show(kNoDataFile);
  const QString target = Dialogs().SaveFile(this, "Zieldatei für DTAUS-Datei auswählen",
                                            "DTAUS-Dateien (*.dta);;Alle Dateien (*)");
  if (target.isEmpty()) return;
  const auto banks = [&](const char* text) {
    std::vector<std::string> codes;
    for (std::string b = p->GetFirstMatch(text, false); !b.empty(); b = p->GetNextMatch())
      codes.push_back(b);
    return codes;
  };
  const auto pick = [&](const std::vector<std::string>& codes, const char* none) {
    return codes.empty()
               ? std::string(none)
               : codes[static_cast<std::size_t>(Random(static_cast<int>(codes.size()) - 1))];
  };
  const std::string own = pick(banks("Postbank"), "76010085");
  const std::vector<std::string> payees = banks("Sparkasse");
  const int c = d->CreateFile(In(target), own, "1-856", p->GetBankName27(own), "1234567890", 1, 1,
                              Random(14));
  if (c != 0) {
    Show(Outcome(*d, "CreateFile", c));
    if (c != 405) return;
  }
  const int n = 2 + Random(18);
  for (int i = 0; i < n; ++i) {
    const std::string blz = pick(payees, "10000000");
    std::string account;
    for (int attempt = 0; attempt < kAccountAttempts && account.empty(); ++attempt) {
      std::string nine;
      for (int k = 0; k < 9; ++k) nine += static_cast<char>('0' + Random(9));
      for (char last = '0'; last <= '9' && account.empty(); ++last) {
        const int code = p->TestBlzKto(blz, nine + last);
        if (code >= 0 && code <= 10) account = nine + last;
      }
    }
    if (account.empty()) account = "0000000000";  // the writer reports it
    const int w = d->WriteFile(blz, account, "Mustermann,Renate", "Testverwendungszweck",
                               "9876543210", 51, 0, Random(19999) * 100);
    if (w != 0) Show(Outcome(*d, "WriteFile", w));
  }
  if (const int e = d->CloseFile(); e != 0) Show(Outcome(*d, "CloseFile", e));
  Show(QString("DTAUS-Datei %1 mit %2 Datensätzen erzeugt.").arg(target).arg(n));
}

void TFormMain::SampleSepa(bool debit) {
  auto s = zel::TProxyZelSepaObject::Create("ZelSepaObject");
  if (!s) return Show(kNoDataFile);
  const QString target = Dialogs().SaveFile(this, "Zieldatei für SEPA-Datei auswählen",
                                            "SEPA-Dateien (*.xml);;Alle Dateien (*)");
  if (target.isEmpty()) return;
  s->SetBankDays(0, 3, 6);
  const std::string initiator = In("Ingenieurbüro Brenk"),
                    text = In("Rechnung 102011039001 vom 31. März");
  const int o = debit
                    ? s->OpenDebit(0, "Lastschriften", initiator, "CASH", "Test GmbH",
                                   "DE87123456781234567890", "TESTDEFFXXX!", "DE98ZZZ09999999999")
                    : s->OpenCredit("Gutschriften", In("Überweisungen"), initiator, "CASH",
                                    "Auftraggeber GmbH", "DE87123456781234567890", "TESTDEFFXXX!");
  if (o != 0) return Show(Outcome(*s, debit ? "OpenSepaDebit" : "OpenSepaCredit", o));
  const int n = 2 + Random(18);
  constexpr zel::Currency kAmount = 1234500;  // 123.45
  for (int i = 0; i < n; ++i) {
    const int w =
        debit ? s->WriteDebit(0, 0, kAmount, "Testkunde GmbH", "DE85888777669876543210",
                              "OESTATWIXXX!", "ELEC", "102011039001", text, "K100", "2011-01-01")
              : s->WriteCredit(kAmount, "Testlieferant GmbH", "DE85888777669876543210",
                               "OESTATWIXXX!", "SALA", "102011039001", text);
    if (w != 0) Show(Outcome(*s, debit ? "WriteDebit" : "WriteCredit", w));
  }
  const int e = debit ? s->CloseDebit(In(target)) : s->CloseCredit(In(target));
  if (e != 0) return Show(Outcome(*s, debit ? "CloseDebit" : "CloseCredit", e));
  Show(QString("%1 %2 mit %3 Datensätzen erzeugt.")
           .arg(debit ? "SEPA-Lastschrift-Datei" : "SEPA-Gutschrift-Datei", target)
           .arg(n));
}

}  // namespace zelgui
