// The main window's layout: group boxes at fixed positions, the controls
// with their captions, access keys, presets and limits.

#include "FormMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "Dialogs.h"
#include "FormResult.h"
#include "WindowTexts.h"

namespace zelgui {
namespace {

QGroupBox* Group(QWidget* parent, const QString& title, int x, int y, int w, int h) {
  auto* g = new QGroupBox(title, parent);
  g->setGeometry(x, y, w, h);
  return g;
}

QLabel* Label(QWidget* parent, const QString& text, int x, int y, int w = 200,
              QWidget* buddy = nullptr) {
  auto* l = new QLabel(text, parent);
  l->setGeometry(x, y, w, 16);
  if (buddy) l->setBuddy(buddy);
  return l;
}

QLineEdit* Edit(QWidget* parent, const char* name, int x, int y, int w, int maxLength = 0) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setGeometry(x, y, w, 21);
  if (maxLength > 0) e->setMaxLength(maxLength);
  return e;
}

QPushButton* Button(QWidget* parent, const QString& text, int x, int y, int w, int h = 25) {
  auto* b = new QPushButton(text, parent);
  b->setGeometry(x, y, w, h);
  b->setAutoDefault(false);
  return b;
}

QCheckBox* Check(QWidget* parent, const QString& text, int x, int y, int w, bool checked) {
  auto* c = new QCheckBox(text, parent);
  c->setGeometry(x, y, w, 18);
  c->setChecked(checked);
  return c;
}

// The holiday check boxes: caption, tag (bit of the holiday set), preset.
struct THoliday {
  const char* caption;
  int tag;
  bool checked;
};
constexpr THoliday kHolidays[] = {
    {"Heilige 3 Könige", 1, true}, {"Chr. Himmelfahrt", 2, true},   {"Fronleichnam", 4, true},
    {"Friedensfest", 8, false},    {"Mar. Himmelfahrt", 16, false}, {"Reformationstag", 32, false},
    {"Allerheiligen", 64, true},   {"Allerseelen", 128, false},     {"Buß- und Bettag", 256, false},
    {"Heiliger Abend", 512, true}, {"Silvester", 1024, true},
};

constexpr const char* kMonths[] = {
    "Januar",     "Februar",    "März",       "April",      "Mai",          "Juni",
    "Juli",       "August",     "September",  "Oktober",    "November",     "Dezember",
    "1. Quartal", "2. Quartal", "3. Quartal", "4. Quartal", "Gesamtes Jahr"};

}  // namespace

TFormMain::TFormMain(std::function<int()> liveObjects, QWidget* parent)
    : QMainWindow(parent), fLiveObjects(std::move(liveObjects)) {
  setWindowTitle("ZELVARO-Benutzerinterface " ZEL_VERSION);
  setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  fClient = new QWidget(this);
  fClient->setFixedSize(800, 561);
  setCentralWidget(fClient);
  setFixedSize(800, 561);
  fResult = new TFormResult(this);
  BuildChecks();
  BuildSearchAndBankData();
  BuildIban();
  BuildUpdateAndFiles();
  BuildBicAndProxy();
  BuildWorkdays();
  BuildStatements();
  BuildInformation();
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* now) { FocusChanged(now); });
  qApp->installEventFilter(this);  // keys reach the window before its controls
  fRandom.seed(static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch()));
  ComboBoxMonat->setCurrentIndex(QDate::currentDate().month() - 1);
  EditJahr->setText(QString::number(QDate::currentDate().year()));
  RefreshDataFile();
}

TFormMain::~TFormMain() {
  qApp->removeEventFilter(this);
  QObject::disconnect(qApp, nullptr, this, nullptr);  // no focus news while the window goes
}

void TFormMain::BuildChecks() {
  QGroupBox* g = Group(fClient, "Prüfungen durchführen", 0, 4, 373, 133);
  PageControl = new QTabWidget(g);
  PageControl->setGeometry(6, 18, 361, 109);
  auto* single = new QWidget;
  EditBlz = Edit(single, "EditBlz", 100, 8, 90, 8);
  EditKto = Edit(single, "EditKto", 100, 36, 110, 10);
  Label(single, "&Bankleitzahl:", 8, 10, 90, EditBlz);
  Label(single, "Kontonummer:", 8, 38, 90, EditKto);
  ButtonCheck = Button(single, "&Prüfen", 250, 20, 90);
  PageControl->addTab(single, "&Einzeln");
  PageControl->addTab(BuildFilesPage(), "&Dateien");
  auto* iban = new QWidget;
  EditIban = Edit(iban, "EditIban", 8, 30, 240);
  Label(iban, "IBAN eingeben:", 8, 10, 200, EditIban);
  ButtonIban = Button(iban, "&Prüfen", 258, 28, 90);
  PageControl->addTab(iban, "&IBAN");
  auto* card = new QWidget;
  EditCC = Edit(card, "EditCC", 8, 30, 160, 16);
  Label(card, "Kreditkartennummer eingeben:", 8, 10, 200, EditCC);
  ButtonCC = Button(card, "Prü&fen", 258, 28, 90);
  PageControl->addTab(card, "&Kreditkarte");
  connect(ButtonCheck, &QPushButton::clicked, this, &TFormMain::CheckSingle);
  connect(ButtonIban, &QPushButton::clicked, this, &TFormMain::CheckIban);
  connect(ButtonCC, &QPushButton::clicked, this, &TFormMain::CheckCard);
  QPushButton* pages[] = {ButtonCheck, ButtonCsv, ButtonIban, ButtonCC};
  fDefaults[g] = [this, pages] {
    const int page = PageControl->currentIndex();
    return page >= 0 && page < 4 ? pages[page] : nullptr;
  };
}

// Page "Dateien": a text file of bank connections, or a DTAUS file.
QWidget* TFormMain::BuildFilesPage() {
  auto* page = new QWidget;
  PageControlFiles = new QTabWidget(page);
  PageControlFiles->setGeometry(2, 0, 352, 82);
  auto* csv = new QWidget;
  EditBlzColumn = Edit(csv, "EditBlzColumn", 76, 2, 32, 3);
  EditBlzColumn->setText("13");
  EditKtoColumn = Edit(csv, "EditKtoColumn", 76, 28, 32, 3);
  EditKtoColumn->setText("12");
  Label(csv, "Spalte Blz:", 4, 4, 70, EditBlzColumn);
  Label(csv, "Spalte Konto:", 4, 30, 70, EditKtoColumn);
  auto* sep = Group(csv, "Trennzeichen", 114, 0, 112, 54);
  RadioComma = new QRadioButton(", (Komma)", sep);
  RadioComma->setGeometry(4, 14, 105, 13);
  RadioComma->setChecked(true);
  RadioSemicolon = new QRadioButton("; (Strichpunkt)", sep);
  RadioSemicolon->setGeometry(4, 27, 105, 13);
  RadioTab = new QRadioButton("TAB", sep);
  RadioTab->setGeometry(4, 40, 105, 13);
  CheckAppend = Check(csv, "Ergebnisse anh&ängen", 230, 2, 118, false);
  ButtonCsv = Button(csv, "Da&tei prüfen", 230, 26, 110);
  PageControlFiles->addTab(csv, "Text/CSV");
  auto* dtaus = new QWidget;
  ButtonDtausCheck = Button(dtaus, "&DTAUS-Datei prüfen", 8, 14, 150);
  PageControlFiles->addTab(dtaus, "DTAUS");
  connect(ButtonCsv, &QPushButton::clicked, this, &TFormMain::CheckCsvFile);
  connect(ButtonDtausCheck, &QPushButton::clicked, this, &TFormMain::CheckDtausFile);
  return page;
}

void TFormMain::BuildSearchAndBankData() {
  QGroupBox* s = Group(fClient, "Suche/Gesamtliste", 376, 4, 189, 133);
  auto* hint = Label(s, "Für ALLE Banken bitte das Eingabefeld leer lassen!", 8, 18, 175);
  hint->setWordWrap(true);
  hint->setFixedHeight(30);
  EditSearch = Edit(s, "EditSearch", 8, 66, 173);
  Label(s, "Such&text:", 8, 50, 100, EditSearch);
  CheckFragments = Check(s, "Auch &Wortteile", 8, 90, 110, false);
  ButtonSearch = Button(s, "&Suchen", 118, 100, 63);
  connect(ButtonSearch, &QPushButton::clicked, this, &TFormMain::Search);
  fDefaults[s] = [this] { return ButtonSearch; };

  QGroupBox* b = Group(fClient, "Bankdaten herausfinden", 0, 140, 301, 169);
  EditBankdaten = Edit(b, "EditBankdaten", 140, 18, 70, 8);
  Label(b, "Bank&leitzahl eingeben:", 8, 20, 130, EditBankdaten);
  ButtonBankdaten = Button(b, "Daten &holen", 216, 16, 78);
  MemoBankdaten = new QPlainTextEdit(b);
  MemoBankdaten->setObjectName("MemoBankdaten");
  MemoBankdaten->setGeometry(8, 46, 286, 115);
  MemoBankdaten->setReadOnly(true);
  MemoBankdaten->setLineWrapMode(QPlainTextEdit::NoWrap);
  MemoBankdaten->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoBankdaten->setFont(QFont("Courier New", 8));
  MemoBankdaten->setPlainText("(Ergebnis...)\n");
  connect(ButtonBankdaten, &QPushButton::clicked, this, &TFormMain::BankData);
  connect(EditBankdaten, &QLineEdit::textChanged, this,
          [this] { MemoBankdaten->setPlainText("(Ergebnis...)\n"); });
  fDefaults[b] = [this] { return ButtonBankdaten; };
}

void TFormMain::BuildIban() {
  QGroupBox* g = Group(fClient, "IBAN/BIC erzeugen", 304, 140, 261, 169);
  g->setProperty("hint", "IBAN-Ermittlung erst ab Bankdaten Version 1320");
  GroupIban = g;
  EditIbanBlz = Edit(g, "EditIbanBlz", 90, 18, 70, 8);
  EditIBanKto = Edit(g, "EditIBanKto", 90, 44, 100, 10);
  Label(g, "Bankleit&zahl:", 8, 20, 80, EditIbanBlz);
  Label(g, "Kontonummer:", 8, 46, 80, EditIBanKto);
  ButtonMakeIban = Button(g, "   IBAN/BIC     erzeu&gen", 8, 70, 246, 23);
  CheckSpaces = Check(g, "&Mit Zwischenräumen für bessere Lesbarkeit", 8, 96, 250, true);
  EditIbanResult = Edit(g, "EditIbanResult", 76, 116, 178);
  EditIbanResult->setReadOnly(true);
  Label(g, "ergibt IBAN:", 8, 118, 68);
  EditBicResult = Edit(g, "EditBicResult", 76, 142, 120);
  EditBicResult->setReadOnly(true);
  Label(g, "BIC:", 8, 144, 30, EditBicResult);
  connect(ButtonMakeIban, &QPushButton::clicked, this, &TFormMain::MakeIban);
  for (QLineEdit* e : {EditIbanBlz, EditIBanKto})
    connect(e, &QLineEdit::textChanged, this, [this] {
      EditIbanResult->clear();
      EditBicResult->clear();
    });
  fDefaults[g] = [this] { return ButtonMakeIban; };
}

void TFormMain::BuildUpdateAndFiles() {
  QGroupBox* u = Group(fClient, "Update-Funktionen und Verwaltung", 568, 4, 229, 305);
  QGroupBox* local = Group(u, "Lokale Funktionen", 6, 18, 217, 140);
  Label(local, "Aktive Datendatei:", 8, 18, 200);
  LabelDataFile = Label(local, "Keine", 8, 36, 200);
  LabelDataFile->setObjectName("LabelDataFile");
  QFont bold = font();
  bold.setBold(true);
  LabelDataFile->setFont(bold);
  Label(local, "Verzeichnis:", 8, 56, 200);
  LabelDirectory = Label(local, "Keines", 8, 74, 200);
  ButtonUnpack = Button(local, "Lokale Dateien entpacken", 8, 94, 200);
  ButtonActivate = Button(local, "Datendatei aktivieren", 8, 116, 200, 22);
  QGroupBox* server = Group(u, "Update-Server-Funktionen", 6, 162, 217, 136);
  EditServerUser = Edit(server, "EditServerUser", 90, 20, 118);
  EditServerPassword = Edit(server, "EditServerPassword", 90, 46, 118);
  EditServerPassword->setEchoMode(QLineEdit::Password);
  Label(server, "Benutzername:", 8, 22, 80, EditServerUser);
  Label(server, "Kennwort:", 8, 48, 80, EditServerPassword);
  ButtonServerCheck = Button(server, "Nur nachsehen", 8, 76, 200);
  ButtonServerDownload = Button(server, "Nachsehen und auch gleich runterladen", 8, 104, 200);
  connect(ButtonActivate, &QPushButton::clicked, this, &TFormMain::ActivateDataFile);
  connect(ButtonUnpack, &QPushButton::clicked, this, &TFormMain::UnpackPackage);
  connect(ButtonServerCheck, &QPushButton::clicked, this, [this] { AskUpdateServer(false); });
  connect(ButtonServerDownload, &QPushButton::clicked, this, [this] { AskUpdateServer(true); });
  fDefaults[local] = [this] { return ButtonActivate; };
  fDefaults[server] = [this] { return ButtonServerCheck; };

  QGroupBox* d = Group(fClient, "DTAUS-/SEPA-Dateien erzeugen", 0, 440, 301, 73);
  Label(d, "Schreibt zur Demonstration eine kleine DTAUS-/SEPA- Datei mit zufälligem Inhalt.", 8,
        18, 290);
  ButtonDtaus = Button(d, "DTAUS schreiben", 8, 40, 100);
  ButtonSepaCredit = Button(d, "SEPA-Gut", 114, 40, 85);
  ButtonSepaDebit = Button(d, "SEPA-Last", 205, 40, 88);
  connect(ButtonDtaus, &QPushButton::clicked, this, &TFormMain::SampleDtaus);
  connect(ButtonSepaCredit, &QPushButton::clicked, this, [this] { SampleSepa(false); });
  connect(ButtonSepaDebit, &QPushButton::clicked, this, [this] { SampleSepa(true); });
  fDefaults[d] = [this] { return ButtonDtaus; };
}

void TFormMain::BuildBicAndProxy() {
  QGroupBox* g = Group(fClient, "BIC-Abfrage im SCL-Directory durchführen", 0, 312, 301, 49);
  g->setProperty("hint", "SCL-Directory erst ab Bankdaten Version 1230");
  GroupBic = g;
  EditBic = Edit(g, "EditBic", 90, 18, 110, 11);
  connect(EditBic, &QLineEdit::textEdited, this, [this](const QString& t) {
    const int at = EditBic->cursorPosition();
    EditBic->setText(t.toUpper());
    EditBic->setCursorPosition(at);
  });
  Label(g, "BI&C eingeben:", 8, 20, 80, EditBic);
  ButtonBic = Button(g, "Ab&fragen", 210, 16, 84);
  connect(ButtonBic, &QPushButton::clicked, this, &TFormMain::QueryBic);
  fDefaults[g] = [this] { return ButtonBic; };

  QGroupBox* p = Group(fClient, "Proxy- und Timeout-Einstellungen für Updates", 0, 364, 301, 73);
  Label(p, "Host:", 8, 20, 40);
  Label(p, "Port:", 200, 20, 40);
  Label(p, "Timeout in Sekunden:", 8, 46, 130);
  EditProxyHost = Edit(p, "EditProxyHost", 48, 18, 140);
  EditProxyPort = Edit(p, "EditProxyPort", 236, 18, 58, 5);
  EditTimeout = Edit(p, "EditTimeout", 140, 44, 50, 4);
  EditTimeout->setText("10");
}

void TFormMain::BuildWorkdays() {
  QGroupBox* g = Group(fClient, "Arbeitstage bestimmen", 304, 312, 261, 201);
  ComboBoxMonat = new QComboBox(g);
  ComboBoxMonat->setObjectName("ComboBoxMonat");
  ComboBoxMonat->setGeometry(50, 18, 110, 22);
  for (const char* m : kMonths) ComboBoxMonat->addItem(m);
  Label(g, "M&onat:", 8, 21, 40, ComboBoxMonat);
  EditJahr = Edit(g, "EditJahr", 204, 18, 50, 4);
  Label(g, "&Jahr:", 168, 21, 34, EditJahr);
  CheckSaturday = Check(g, "Samstag ist Arbeitstag", 8, 44, 200, false);
  Label(g, "Folgende Tage sind als Feiertage zu werten:", 8, 64, 245);
  int i = 0;
  for (const THoliday& h : kHolidays) {
    QCheckBox* c = Check(g, h.caption, 8 + (i % 2) * 125, 82 + (i / 2) * 18, 122, h.checked);
    c->setObjectName(QString("CheckBoxHoliday%1").arg(i + 1));
    c->setProperty("tag", h.tag);
    ++i;
  }
  ButtonWorkdays = Button(g, "&Arbeitstage berechnen", 115, 172, 140);
  connect(ButtonWorkdays, &QPushButton::clicked, this, &TFormMain::Workdays);
  fDefaults[g] = [this] { return ButtonWorkdays; };
}

void TFormMain::BuildStatements() {
  QGroupBox* g = Group(fClient, "Kontoauszüge einlesen", 568, 312, 229, 201);
  auto* kind = Group(g, "Datenbanktyp", 6, 16, 86, 56);
  RadioOdbc = new QRadioButton("ODBC", kind);
  RadioOdbc->setGeometry(8, 16, 75, 18);
  RadioOdbc->setChecked(true);
  RadioMssql = new QRadioButton("MS-SQL", kind);
  RadioMssql->setGeometry(8, 34, 75, 18);
  GroupAuth = Group(g, "Authentifizierung", 96, 16, 127, 56);
  RadioPassword = new QRadioButton("Username/Password", GroupAuth);
  RadioPassword->setGeometry(4, 16, 122, 18);
  RadioPassword->setChecked(true);
  RadioWindowsAuth = new QRadioButton("Windows-Auth.", GroupAuth);
  RadioWindowsAuth->setGeometry(4, 34, 122, 18);
  GroupAuth->setEnabled(false);
  LabelUser = Label(g, "Username:", 8, 80, 80);
  LabelPassword = Label(g, "Password:", 8, 102, 80);
  LabelDbName = Label(g, "ODBC-Name:", 8, 124, 80);
  Label(g, "Translations:", 8, 146, 80);
  Label(g, "User-Id:", 8, 168, 80);
  EditUser = Edit(g, "EditUser", 90, 78, 132);
  EditPassword = Edit(g, "EditPassword", 90, 100, 132);
  EditPassword->setEchoMode(QLineEdit::Password);
  EditDbName = Edit(g, "EditDbName", 90, 122, 132);
  EditTranslations = Edit(g, "EditTranslations", 90, 144, 132);
  EditUserId = Edit(g, "EditUserId", 90, 166, 50);
  EditUserId->setText("0");
  ButtonImport = Button(g, "Einlesen", 150, 166, 72);
  for (QRadioButton* r : {RadioOdbc, RadioMssql, RadioPassword, RadioWindowsAuth})
    connect(r, &QRadioButton::toggled, this, &TFormMain::DatabaseKindChanged);
  connect(ButtonImport, &QPushButton::clicked, this, &TFormMain::ImportStatements);
  fDefaults[g] = [this] { return ButtonImport; };
}

void TFormMain::BuildInformation() {
  QGroupBox* g = Group(fClient, "Informationen", 0, 516, 797, 41);
  QFont bold = font();
  bold.setBold(true);
  bold.setPixelSize(10);
  QLabel* text = Label(g,
                       "Alle Informationen zu dieser Software (Dokumentation, "
                       "Bestellmöglichkeiten etc.) finden Sie im Internet unter:",
                       6, 18, 655);
  text->setFont(bold);
  QLabel* link = Label(g, QString("<a href=\"%1\">%1</a>").arg(zel::kProductUrl), 664, 18, 130);
  link->setObjectName("LabelLink");
  link->setFont(bold);
  link->setOpenExternalLinks(true);  // the desktop's default handler
  link->setCursor(Qt::PointingHandCursor);
  // The system's hot-track colour at rest, blue while the mouse is on it.
  QPalette rest = link->palette();
  rest.setColor(QPalette::Link, rest.color(QPalette::Highlight));
  link->setPalette(rest);
  link->installEventFilter(this);
  LabelLink = link;
}

void TFormMain::Seed(unsigned seed) { fRandom.seed(seed); }

int TFormMain::Random(int k) { return std::uniform_int_distribution<int>(0, k)(fRandom); }

// The controls directly inside follow the group; its hint shows only
// while it is disabled.
void TFormMain::EnableGroup(QGroupBox* group, bool on) {
  for (QWidget* w : group->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    w->setEnabled(on);
  group->setToolTip(on ? QString() : group->property("hint").toString());
}

bool TFormMain::AllowsIban(const QString& year, const QString& quarter) {
  return year > "2013" || (year == "2013" && quarter >= "2");
}

bool TFormMain::AllowsScl(const QString& year, const QString& quarter) {
  return year > "2012" || (year == "2012" && quarter >= "3");
}

void TFormMain::DatabaseKindChanged() {
  const bool mssql = RadioMssql->isChecked();
  if (!mssql && !RadioPassword->isChecked()) RadioPassword->setChecked(true);
  GroupAuth->setEnabled(mssql);
  LabelDbName->setText(mssql ? "Host[/Name]:" : "ODBC-Name:");
  const bool password = !mssql || RadioPassword->isChecked();
  for (QWidget* w :
       std::initializer_list<QWidget*>{LabelUser, LabelPassword, EditUser, EditPassword})
    w->setEnabled(password);
}

// Entering a group makes its main button the one Enter presses.
void TFormMain::FocusChanged(QWidget* now) {
  QPushButton* chosen = nullptr;
  for (QWidget* w = now; w && w != fClient && !chosen; w = w->parentWidget())
    if (auto* g = qobject_cast<QGroupBox*>(w); g && fDefaults.count(g)) chosen = fDefaults[g]();
  if (!now || !isAncestorOf(now)) return;
  for (auto& [group, button] : fDefaults)
    if (QPushButton* b = button()) b->setDefault(false);
  fDefault = chosen;
  if (fDefault) fDefault->setDefault(true);
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == LabelLink && (event->type() == QEvent::Enter || event->type() == QEvent::Leave)) {
    QPalette p = LabelLink->palette();
    p.setColor(QPalette::Link,
               event->type() == QEvent::Enter ? QColor(Qt::blue) : p.color(QPalette::Highlight));
    LabelLink->setPalette(p);
  }
  if (event->type() == QEvent::KeyRelease) {
    auto* k = static_cast<QKeyEvent*>(event);
    if (k->key() == Qt::Key_F8 && k->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier) &&
        isActiveWindow()) {
      HiddenTest();
      return true;
    }
  }
  if (event->type() == QEvent::KeyPress && isActiveWindow() && watched != fResult) {
    auto* k = static_cast<QKeyEvent*>(event);
    const bool enter = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
    if (enter && fDefault && fDefault->isEnabled() && qobject_cast<QWidget*>(watched) &&
        isAncestorOf(static_cast<QWidget*>(watched))) {
      fDefault->click();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
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
