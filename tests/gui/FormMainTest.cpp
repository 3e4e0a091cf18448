// The main window on the offscreen platform, driven through its widgets
// with the real data file; the dialogs are answered by the test.

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocumentFragment>
#include <QtTest>

#include "../base/LocalHttpServer.h"
#include "Cp1252.h"
#include "Dialogs.h"
#include "FormMain.h"
#include "FormResult.h"
#include "Odbc.h"
#include "WindowTexts.h"
#include "ZelPackage.h"

namespace {

// Answers the window's questions, keeps its messages.
class TAnswers : public zelgui::TDialogs {
 public:
  bool yes = false;
  int asked = 0, shown = 0;
  QStringList messages, files;
  QString saveAs;
  TAnswer ync = Cancel;
  int asked3 = 0;
  TAnswer AskYesNoCancel(QWidget*, const QString&, const QString&) override {
    ++asked3;
    return ync;
  }
  bool AskYesNo(QWidget*, const QString&, const QString&) override {
    ++asked;
    return yes;
  }
  void Inform(QWidget*, const QString&, const QString& text) override { messages << text; }
  void Message(QWidget*, const QString&, const QString& text, TKind kind) override {
    messages << text;
    kinds << kind;
  }
  QList<int> kinds;
  QStringList OpenFiles(QWidget*, const QString&, const QString&) override { return files; }
  QString SaveFile(QWidget*, const QString&, const QString&) override { return saveAs; }
  void ShowModal(QDialog&) override { ++shown; }
  QString Last() const { return messages.isEmpty() ? QString() : messages.last(); }
};

bool NoData() { return qEnvironmentVariableIsSet("ZEL_TEST_NO_DATA"); }

// The rectangle a widget draws its text in, and the texts it shows there.
struct TTextBox {
  QRect room;
  QStringList texts;
  int flags = Qt::TextShowMnemonic;
};

QRect ButtonRoom(QAbstractButton* b) {
  QStyleOptionButton o;
  o.initFrom(b);
  o.text = b->text();
  const auto e = qobject_cast<QCheckBox*>(b)      ? QStyle::SE_CheckBoxContents
                 : qobject_cast<QRadioButton*>(b) ? QStyle::SE_RadioButtonContents
                                                  : QStyle::SE_PushButtonContents;
  QRect r = b->style()->subElementRect(e, &o, b);
  if (e == QStyle::SE_PushButtonContents)  // the text keeps off the bevel
    r.adjust(2, 0, -2, 0);
  return r;
}

QRect EditRoom(QLineEdit* e) {
  QStyleOptionFrame o;
  o.initFrom(e);
  o.rect = e->rect();
  o.lineWidth = e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &o, e);
  return e->style()->subElementRect(QStyle::SE_LineEditContents, &o, e).adjusted(2, 0, -2, 0);
}

QRect ComboRoom(QComboBox* c) {
  QStyleOptionComboBox o;
  o.initFrom(c);
  o.rect = c->rect();
  return c->style()->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, c);
}

TTextBox TextBoxOf(QWidget* w) {
  if (auto* l = qobject_cast<QLabel*>(w)) {
    const int wrap = l->wordWrap() ? Qt::TextWordWrap : 0;
    QString text = l->textFormat() == Qt::PlainText || !Qt::mightBeRichText(l->text())
                       ? l->text()
                       : QTextDocumentFragment::fromHtml(l->text()).toPlainText();
    return {l->contentsRect(), {text}, Qt::TextShowMnemonic | wrap};
  }
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return {ButtonRoom(b), {b->text()}};
  if (auto* e = qobject_cast<QLineEdit*>(w)) return {EditRoom(e), {e->displayText()}};
  if (auto* c = qobject_cast<QComboBox*>(w)) {
    QStringList items;
    for (int i = 0; i < c->count(); ++i) items << c->itemText(i);
    return {ComboRoom(c), items};
  }
  if (auto* g = qobject_cast<QGroupBox*>(w)) return {g->rect().adjusted(0, 0, -8, 0), {g->title()}};
  return {};
}

// "class "text": 212 x 16 in 200 x 16" for each text of a visible widget
// that does not fit its room, tab captions included.
QStringList Clipped(QWidget* top) {
  QStringList clipped;
  auto check = [&](QWidget* w, const QRect& room, const QString& text, int flags) {
    const QRect need = QFontMetrics(w->font()).boundingRect(room, flags, text);
    if (need.width() > room.width() || need.height() > room.height())
      clipped << QString("%1 \"%2\": %3 x %4 in %5 x %6")
                     .arg(w->metaObject()->className(), text)
                     .arg(need.width())
                     .arg(need.height())
                     .arg(room.width())
                     .arg(room.height());
  };
  for (QWidget* w : top->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(top)) continue;
    if (auto* bar = qobject_cast<QTabBar*>(w))
      for (int i = 0; i < bar->count(); ++i)
        check(bar, bar->tabRect(i).adjusted(4, 0, -4, 0), bar->tabText(i), Qt::TextShowMnemonic);
    const TTextBox box = TextBoxOf(w);
    for (const QString& text : box.texts) check(w, box.room, text, box.flags);
  }
  return clipped;
}

}  // namespace

class FormMainTest : public QObject {
  Q_OBJECT

 private slots:
  // The update server answers what the test says; its address is read once.
  void initTestCase() {
    server_ = std::make_unique<zeltest::LocalHttpServer>([this](const std::string& request) {
      return zeltest::LocalHttpServer::Answer{request.find("GET /newest") == 0 ? serverAnswer_
                                                                               : ""};
    });
    qputenv("ZELVARO_UPDATE_URL", QString("http://127.0.0.1:%1/").arg(server_->Port()).toUtf8());
    zelgui::UseWindowFont();
  }

  void init() {
    answers_.messages.clear();
    answers_.files.clear();
    answers_.saveAs.clear();
    answers_.asked = answers_.shown = answers_.asked3 = 0;
    answers_.yes = false;
    answers_.ync = zelgui::TDialogs::Cancel;
    zelgui::SetDialogs(&answers_);
    window_ = std::make_unique<zelgui::TFormMain>([this] { return live_; });
    window_->show();
    QApplication::setActiveWindow(window_.get());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }
  void cleanup() {
    window_.reset();
    zelgui::SetDialogs(nullptr);
  }

  void SingleCheckShowsTheSuccessorOnlyForItsCodes() {
    if (NoData()) QSKIP("needs the data file");
    auto& w = *window_;
    w.EditBlz->setText("10060198");
    w.EditKto->setText("1234567890");
    QTest::mouseClick(w.ButtonCheck, Qt::LeftButton);
    QVERIFY(answers_.Last().startsWith("Ergebnis: 213\r\nErgebnistext: "));
    QVERIFY(answers_.Last().endsWith("\r\nNachfolge-BLZ: 37060193"));
    QCOMPARE(w.EditBlz->selectedText(), QString("10060198"));
    w.EditBlz->setText("10090300");
    w.EditKto->setText("1");
    w.CheckSingle();
    QVERIFY(answers_.Last().startsWith("Ergebnis: 103\r\n"));
    QVERIFY(!answers_.Last().contains("\r\nNachfolge-BLZ:"));
  }

  void IbanAndCardChecks() {
    if (NoData()) QSKIP("needs the data file");
    auto& w = *window_;
    w.EditIban->setText("DE89 3704 0044 0532 0130 00");
    w.CheckIban();
    QCOMPARE(answers_.Last(), QString("Ergebnis: 0 (Ok)"));
    w.EditCC->setText("4111111111111112");
    w.CheckCard();
    QVERIFY(answers_.Last().startsWith("Ergebnis: "));
    QVERIFY(!answers_.Last().startsWith("Ergebnis: 0 "));
  }

  void SearchAndFullList() {
    if (NoData()) QSKIP("needs the data file");
    auto& w = *window_;
    QPlainTextEdit* memo = w.FormResult().MemoBanken();
    w.EditSearch->setText("Berlin");
    w.Search();
    QCOMPARE(answers_.shown, 1);
    QVERIFY(memo->toPlainText().contains("\t"));
    w.EditSearch->setText("Xyzzyqq");
    w.Search();
    QCOMPARE(memo->toPlainText(), QString());
    QCOMPARE(answers_.shown, 2);  // an empty result window all the same
    w.EditSearch->clear();
    w.Search();
    QVERIFY(memo->toPlainText().count('\n') > 3000);
  }

  void BankDataAndIbanGeneration() {
    if (NoData()) QSKIP("needs the data file");
    auto& w = *window_;
    w.EditBankdaten->setText("37040044");
    w.BankData();
    const QStringList lines = w.MemoBankdaten->toPlainText().split('\n');
    QCOMPARE(lines.size(), 6);
    QVERIFY(lines[0].startsWith("Name58\t"));
    QCOMPARE(lines[4], QString("BIC\tCOBADEFFXXX"));
    w.EditBankdaten->setText("3704004");
    QCOMPARE(w.MemoBankdaten->toPlainText(), QString("(Ergebnis...)\n"));

    w.EditIbanBlz->setText("1234567");
    w.MakeIban();
    QCOMPARE(answers_.Last(), QString("Die Bankleitzahl muss 8 Stellen lang sein!"));
    w.EditIbanBlz->setText("37040044");
    w.EditIBanKto->setText("532013000");
    w.MakeIban();
    QCOMPARE(w.EditIbanResult->text(), QString("DE89 3704 0044 0532 0130 00"));
    QCOMPARE(w.EditBicResult->text(), QString("COBADEFFXXX"));
    w.EditIBanKto->setText("532013001");
    QCOMPARE(w.EditIbanResult->text(), QString());
  }

  void FailureTextsAndSclFlags() {
    if (NoData()) QSKIP("needs the data file");
    auto p = zel::TProxyZelProbeObject::Create("ZelProbeObject");
    QVERIFY(p);
    const auto text = [&](const char* answer) {
      return QString::fromStdString(zel::Cp1252ToUtf8(zel::IbanFailureText(*p, answer)));
    };
    QCOMPARE(text("*24 NS"), QString("Fehler 24: IBAN-Ermittlung nicht möglich (Dieses Konto nimmt "
                                     "nicht am SEPA-Zahlungsverkehr teil)"));
    QCOMPARE(text("*abc"), QString("Fehlercode abc nicht auswertbar"));
    QCOMPARE(text("*7"),
             "Fehler 7: " + QString::fromStdString(zel::Cp1252ToUtf8(p->GetErrorMessage(7))));
    QCOMPARE(QString(", SCT=") + zel::SclFlag(0) + ", SDD=" + zel::SclFlag(21) +
                 ", COR1=" + zel::SclFlag(0) + ", B2B=" + zel::SclFlag(5),
             QString(", SCT=1, SDD=0, COR1=1, B2B=?"));
    auto& w = *window_;
    w.EditBic->setText("COBADEFF");
    w.QueryBic();
    QCOMPARE(answers_.Last(), QString("COMMERZBANK AG, SCT=1, SDD=1, COR1=1, B2B=1"));
    w.EditBic->setText("XXXXDEFF");
    w.QueryBic();
    QCOMPARE(answers_.Last(), QString("BIC XXXXDEFF nicht im SCL-Directory gefunden"));
  }

  void WorkdaysMonthCodes() {
    if (NoData()) QSKIP("needs the data file");
    auto& w = *window_;
    auto arbeit = zel::TProxyZelArbeitObject::Create("ZelArbeitObject");
    const int preset = 1 + 2 + 4 + 64 + 512 + 1024;  // the boxes checked at start
    const auto expect = [&](int year, int code) {
      return QString("Ergebnis: %1 Arbeitstage.").arg(arbeit->Arbeitstage(year, code, 0, preset));
    };
    w.EditJahr->setText("2024");
    w.ComboBoxMonat->setCurrentIndex(16);
    w.Workdays();
    QCOMPARE(answers_.Last(), expect(2024, 0));
    w.ComboBoxMonat->setCurrentIndex(14);
    w.Workdays();
    QCOMPARE(answers_.Last(), expect(2024, 43));
    w.EditJahr->setText("20x4");
    w.ComboBoxMonat->setCurrentIndex(4);
    w.Workdays();
    QCOMPARE(answers_.Last(), expect(QDate::currentDate().year(), 5));
  }

  // Three files, the second fails: the rest is not read; only the last
  // failing: no abort message.
  void StatementImportAbortRule() {
    if (NoData()) QSKIP("needs the data file");
    const QString dir = qEnvironmentVariable("ODBCSYSINI");
    QVERIFY(!dir.isEmpty());
    zel::TOdbcConnection db;
    QVERIFY(db.Connect("DSN=ZelGuiTest"));
    db.Execute("DROP TABLE IF EXISTS \"KontoAuszuege\"");
    db.Execute("DROP TABLE IF EXISTS \"KontoUmsaetze\"");
    QVERIFY(db.Execute("CREATE TABLE \"KontoAuszuege\" (NR,a,b,c,d,e,f,g,h,i,j)"));
    QVERIFY(db.Execute("CREATE TABLE \"KontoUmsaetze\" (NR,a,b,c,d,e,f,g,h,i,j,k,l,m,n,o)"));
    auto& w = *window_;
    w.EditDbName->setText("ZelGuiTest");
    const QString good = QString(ZEL_FIXTURES) + "/mt940/mt940_parser_sepa_snippet.txt";
    answers_.files = {good, dir + "/fehlt.sta", good};
    w.ImportStatements();
    QCOMPARE(answers_.messages.size(), 3);
    QVERIFY(
        answers_.messages[0].startsWith("Datei mt940_parser_sepa_snippet.txt: Ok. Ggf. "
                                        "zusätzliche Information: Ok"));
    QVERIFY(
        answers_.messages[1].startsWith("Datei fehlt.sta: Datei konnte nicht geöffnet werden."));
    QCOMPARE(answers_.messages[2],
             QString("Abbruch. Die restlichen Dateien werden nicht mehr eingelesen."));
    answers_.messages.clear();
    answers_.files = {good, dir + "/fehlt.sta"};
    w.ImportStatements();
    QCOMPARE(answers_.messages.size(), 2);
  }

  // The page "Dateien": report and append mode, the count texts, DTAUS.
  void FileChecks() {
    if (NoData()) QSKIP("needs the data file");
    auto& w = *window_;
    const QString dir = QDir::homePath();
    const QString csv = dir + "/konten.csv";
    QFile f(csv);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("37040044,532013000\r\n37040044,532013100\r\n10000000,1,\"a\nb\"\r\nBLZ,Konto\r\n");
    f.close();
    w.EditBlzColumn->setText("1");
    w.EditKtoColumn->setText("2");
    answers_.files = {csv};
    w.CheckCsvFile();
    QCOMPARE(answers_.Last(),
             "Fertig! Ergebnis in " + dir + "/konten.out (4 Bankverbindungen geprüft, 2 Fehler)");
    QFile report(dir + "/konten.out");
    QVERIFY(report.open(QIODevice::ReadOnly));
    QVERIFY(report.readAll().startsWith("Zeile: \"37040044\",\"532013100\"\r\n"));
    w.CheckAppend->setChecked(true);
    answers_.saveAs = dir + "/ergebnis.csv";
    w.CheckCsvFile();
    QFile appended(answers_.saveAs);
    QVERIFY(appended.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = appended.readAll().split('\n');
    QCOMPARE(lines[0], QByteArray("\"37040044\",\"532013000\",\"0\",\"DE89370400440532013000\","
                                  "\"COBADEFFXXX\"\r"));
    QCOMPARE(lines[1], QByteArray("\"37040044\",\"532013100\",\"13\",\"\",\"\"\r"));
    QVERIFY(lines[2].startsWith("\"10000000\",\"1\",\"a b\",\"3\",\"DE"));  // a break in quotes
    w.EditBlzColumn->setText("5");
    w.CheckCsvFile();
    QVERIFY(answers_.Last().endsWith("(0 Bankverbindungen geprüft, 0 Fehler)"));

    auto dtaus = zel::TProxyZelDtausObject::Create("ZelDtausObject");
    const QString dta = dir + "/z.dta";
    QCOMPARE(dtaus->CreateFile(dta.toStdString(), "37040044", "532013000", "X", "1", 1, 0, 0), 0);
    dtaus->WriteFile("37040044", "532013100", "A", "B", "1", 51, 0, 10000);
    QCOMPARE(dtaus->CloseFile(), 0);
    answers_.messages.clear();
    answers_.files = {dta};
    w.CheckDtausFile();
    QCOMPARE(answers_.messages.size(), 2);
    QVERIFY(answers_.messages[0].startsWith("Es wurde 1 Fehler in " + dta));
    QVERIFY(answers_.messages[1].startsWith(
        "Daten für Diskettenbegleitzettel:\r\nAnzahl Datensätze C: 1"));
  }

  // Empty directory, Cancel, a file of another directory.
  void ActivationFlows() {
    if (NoData()) QSKIP("needs the data file");
    auto& w = *window_;
    auto* pkg = zel::ZelPackage();
    const std::string home = pkg->GetDataDirectory();
    const QString active = w.LabelDataFile->text();
    const QString empty = QDir::homePath() + "/leer/";
    QDir().mkpath(empty);
    pkg->SetDataDirectory(empty.toStdString());
    w.ActivateDataFile();
    QCOMPARE(answers_.asked3, 0);
    QCOMPARE(answers_.messages.size(), 2);
    QVERIFY(answers_.messages[0].startsWith("Im aktuellen Verzeichnis " + empty +
                                            " sind keine Datendateien vorhanden!"));
    QCOMPARE(answers_.messages[1], QString("Es wurde keine neue Datendatei geladen."));
    pkg->SetDataDirectory(home);
    answers_.ync = zelgui::TDialogs::Cancel;
    w.ActivateDataFile();
    QCOMPARE(answers_.Last(), QString("Es wurde keine neue Datendatei geladen."));
    QCOMPARE(answers_.kinds.last(), int(zelgui::TDialogs::Warning));
    QCOMPARE(w.LabelDataFile->text(), active);
    // Another directory: it becomes the data directory.
    const QString other = QDir::homePath() + "/andere";
    QDir().mkpath(other);
    const QString old = QString::fromStdString(home) + "ZelObjects_2013_4.wbd";
    QVERIFY(QFile::copy(old, other + "/ZelObjects_2013_4.wbd"));
    QVERIFY(QFile::copy(old + ".sha256", other + "/ZelObjects_2013_4.wbd.sha256"));
    QVERIFY(QFile::copy(old + ".sig", other + "/ZelObjects_2013_4.wbd.sig"));
    answers_.ync = zelgui::TDialogs::No;
    answers_.files = {other + "/ZelObjects_2013_4.wbd"};
    w.ActivateDataFile();
    QCOMPARE(answers_.Last(), QString("Die Datei ZelObjects_2013_4.wbd wurde aktiviert."));
    QCOMPARE(QString::fromStdString(pkg->GetDataDirectory()), other + "/");
    QCOMPARE(w.LabelDataFile->text(), QString("ZelObjects_2013_4.wbd"));
    QVERIFY(w.EditIbanBlz->isEnabled());  // 2013, fourth quarter: both groups
    QVERIFY(w.EditBic->isEnabled());
    pkg->SetDataDirectory(home);
    answers_.ync = zelgui::TDialogs::Yes;
    w.ActivateDataFile();
    QCOMPARE(w.LabelDataFile->text(), active);
  }

  void GroupsByDataVersion() {
    using zelgui::TFormMain;
    QVERIFY(!TFormMain::AllowsIban("2013", "1"));
    QVERIFY(TFormMain::AllowsScl("2013", "1"));
    QVERIFY(TFormMain::AllowsIban("2014", "1") && TFormMain::AllowsScl("2014", "1"));
    QVERIFY(!TFormMain::AllowsScl("2012", "2") && TFormMain::AllowsScl("2012", "3"));
  }

  void UpdateServerAnswers() {
    auto& w = *window_;
    serverAnswer_ = "ZelObjects_2026_3.wbp";
    w.AskUpdateServer(false);
    QCOMPARE(answers_.Last(),
             QString("Auf dem Server liegt momentan die Datei ZelObjects_2026_3.wbp vor."));
    serverAnswer_ = "-Wartung bis 14 Uhr";
    w.AskUpdateServer(false);
    QVERIFY(answers_.Last().startsWith(
        "Momentan ist kein Download möglich, aus folgendem Grund: Wartung bis 14 Uhr (Bitte"));
  }

  void SampleFiles() {
    if (NoData()) QSKIP("needs the data file");
    auto& w = *window_;
    w.Seed(4711);
    const QString dir = QDir::homePath();
    answers_.saveAs = dir + "/muster.dta";
    w.SampleDtaus();
    QVERIFY(answers_.Last().startsWith("DTAUS-Datei " + dir + "/muster.dta mit "));
    answers_.files = {answers_.saveAs};
    auto dtaus = zel::TProxyZelDtausObject::Create("ZelDtausObject");
    QCOMPARE(dtaus->CheckFile(answers_.saveAs.toStdString()), 0);  // every account passes
    answers_.saveAs = dir + "/gut.xml";
    w.SampleSepa(false);
    QVERIFY(answers_.Last().startsWith("SEPA-Gutschrift-Datei " + dir + "/gut.xml mit "));
    answers_.saveAs = dir + "/last.xml";
    w.SampleSepa(true);
    QVERIFY(answers_.Last().startsWith("SEPA-Lastschrift-Datei " + dir + "/last.xml mit "));
    QFile xml(answers_.saveAs);
    QVERIFY(xml.open(QIODevice::ReadOnly));
    QVERIFY(xml.readAll().contains("<LclInstrm>"));
  }

  void DatabaseKinds() {
    auto& w = *window_;
    QVERIFY(!w.GroupAuth->isEnabled());
    w.RadioMssql->setChecked(true);
    QVERIFY(w.GroupAuth->isEnabled());
    QCOMPARE(w.LabelDbName->text(), QString("Host[/Name]:"));
    w.RadioWindowsAuth->setChecked(true);
    QVERIFY(!w.EditUser->isEnabled());
    w.RadioOdbc->setChecked(true);
    QVERIFY(w.RadioPassword->isChecked());
    QVERIFY(!w.GroupAuth->isEnabled());
    QVERIFY(w.EditPassword->isEnabled());
    QCOMPARE(w.LabelDbName->text(), QString("ODBC-Name:"));
  }

  void DefaultButtonFollowsTheGroup() {
    auto& w = *window_;
    w.EditSearch->setFocus();
    QCOMPARE(w.DefaultButton(), w.ButtonSearch);
    w.EditBic->setFocus();
    QCOMPARE(w.DefaultButton(), w.ButtonBic);
    w.PageControl->setCurrentIndex(2);
    w.EditIban->setFocus();
    QCOMPARE(w.DefaultButton(), w.ButtonIban);
    w.EditProxyHost->setFocus();
    QCOMPARE(w.DefaultButton(), static_cast<QPushButton*>(nullptr));
  }

  void HiddenTestKey() {
    if (NoData()) QSKIP("needs the data file");
    QTest::keyRelease(window_.get(), Qt::Key_F8, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(answers_.messages.size(), 5);
    QVERIFY(answers_.messages[0].startsWith("GetTempList = "));
    QVERIFY(answers_.messages[1].startsWith("Result(ExportToFile(\"" + QDir::homePath() +
                                            "/x.txt\")) = "));
  }

  void ClosingWithLiveObjectsAsksFirst() {
    auto& w = *window_;
    live_ = 1;
    QVERIFY(!w.close());
    QCOMPARE(answers_.asked, 1);
    QVERIFY(w.isVisible());
    answers_.yes = true;
    QVERIFY(w.close());
    live_ = 0;
    w.show();
    QVERIFY(w.close());
    QCOMPARE(answers_.asked, 2);  // no question without objects
  }

  // Every text of both windows fits its widget, on every page, with the
  // longest texts the window may show (run again at QT_SCALE_FACTOR=1.5).
  void TextsFit() {
    auto& w = *window_;
    w.EditIbanResult->setText("MT84 MALT 0110 0001 2345 MTLC AST0 01SA BW");  // 34, grouped
    w.EditBicResult->setText("WWWWWWWWXXX");
    w.LabelDataFile->setText("ZelObjects_2026_4.wbd");
    QStringList clipped;
    for (bool mssql : {false, true}) {
      (mssql ? w.RadioMssql : w.RadioOdbc)->setChecked(true);
      for (int page = 0; page < w.PageControl->count(); ++page)
        for (int files = 0; files < w.PageControlFiles->count(); ++files) {
          w.PageControl->setCurrentIndex(page);
          w.PageControlFiles->setCurrentIndex(files);
          QApplication::processEvents();
          clipped << Clipped(&w);
        }
    }
    w.FormResult().show();
    clipped << Clipped(&w.FormResult());
    clipped.removeDuplicates();
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join('\n')));
    QVERIFY(w.width() >= 800 && w.height() >= 561);
    QCOMPARE(w.minimumSize(), w.maximumSize());  // not resizable
  }

  void LayoutAndPresets() {
    auto& w = *window_;
    QCOMPARE(w.windowTitle(), QString("ZELVARO-Benutzerinterface " ZEL_VERSION));
    QCOMPARE(w.EditBlz->maxLength(), 8);
    QCOMPARE(w.EditTimeout->text(), QString("10"));
    QCOMPARE(w.ComboBoxMonat->count(), 17);
    QCOMPARE(w.ComboBoxMonat->currentIndex(), QDate::currentDate().month() - 1);
    int tags = 0;
    for (QCheckBox* c : w.findChildren<QCheckBox*>())
      if (c->objectName().startsWith("CheckBoxHoliday") && c->isChecked())
        tags += c->property("tag").toInt();
    QCOMPARE(tags, 1607);
  }

  // Qt's own texts in German: the buttons of a message box, a file
  // dialog's default extension from its filter.
  void GermanDialogs() {
    QVERIFY(zelgui::UseGermanTexts(*QCoreApplication::instance()));
    QMessageBox box(QMessageBox::Warning, "Frage", "Text",
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), QString("&Ja"));
    QCOMPARE(box.button(QMessageBox::No)->text(), QString("&Nein"));
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QString("Abbrechen"));
    QCOMPARE(zelgui::DefaultSuffix("DTAUS-Dateien (*.dta);;Alle Dateien (*)"), QString("dta"));
    QCOMPARE(zelgui::DefaultSuffix("Alle Dateien (*)"), QString());
  }

  // The link turns blue while the mouse is on it; the memos keep their
  // scroll bars.
  void LinkAndScrollBars() {
    auto& w = *window_;
    QEvent enter(QEvent::Enter), leave(QEvent::Leave);
    QApplication::sendEvent(w.LabelLink, &enter);
    QCOMPARE(w.LabelLink->palette().color(QPalette::Link), QColor(Qt::blue));
    QApplication::sendEvent(w.LabelLink, &leave);
    QVERIFY(w.LabelLink->palette().color(QPalette::Link) != QColor(Qt::blue));
    QCOMPARE(w.MemoBankdaten->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  }

  // Run with ZEL_TEST_NO_DATA and an empty data directory.
  void WithoutDataFile() {
    if (!NoData()) QSKIP("runs without a data file");
    window_->CheckSingle();
    window_->QueryBic();
    QCOMPARE(answers_.messages,
             QStringList({"Es ist keine Datendatei geladen!", "Es ist keine Datendatei geladen!"}));
  }

 private:
  std::unique_ptr<zeltest::LocalHttpServer> server_;
  std::string serverAnswer_;
  TAnswers answers_;
  int live_ = 0;
  std::unique_ptr<zelgui::TFormMain> window_;
};

QTEST_MAIN(FormMainTest)
#include "FormMainTest.moc"
