// The main window's layout: group boxes on a grid that follows their texts,
// the controls with their captions, access keys, presets and limits.

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
#include <tuple>

#include "Dialogs.h"
#include "FormParts.h"
#include "FormResult.h"
#include "WindowTexts.h"

namespace zelgui {

using namespace form;

namespace {

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

// The widest IBAN the result field must show whole: 34 characters, grouped.
constexpr const char* kWidestIban = "MT84 MALT 0110 0001 2345 MTLC AST0 01SW WW";
constexpr const char* kWidestBic = "WWWWWWWWWWW";
// The longest name of a data file the window shows.
constexpr const char* kWidestDataFile = "ZelObjects_2026_4.wbd";

}  // namespace

// The groups sit on a grid of four columns (the left column, the part of
// the checks over the IBAN group, the search column, the update column) and
// four rows (the lower left column holds three groups); each column and row
// is as wide and high as its widest and highest text needs, and the window
// is never smaller than the classic 800 x 561.
TFormMain::TFormMain(std::function<int()> liveObjects, QWidget* parent)
    : QMainWindow(parent), fLiveObjects(std::move(liveObjects)) {
  setWindowTitle("ZELVARO-Benutzerinterface " ZEL_VERSION);
  setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  fClient = new QWidget(this);
  fGrid = new QGridLayout(fClient);
  fGrid->setContentsMargins(2, 2, 2, 2);
  fGrid->setSpacing(3);
  setCentralWidget(fClient);
  fResult = new TFormResult(this);
  fLowerLeft = new QVBoxLayout;
  fLowerLeft->setSpacing(3);
  fGrid->addLayout(fLowerLeft, 2, 0);
  BuildChecks();
  BuildSearchAndBankData();
  BuildIban();
  BuildBicAndProxy();
  BuildUpdateAndFiles();
  BuildWorkdays();
  BuildStatements();
  BuildInformation();
  fGrid->setRowStretch(1, 1);
  fGrid->setRowStretch(2, 1);
  fGrid->setColumnStretch(0, 1);
  fGrid->setColumnStretch(2, 1);
  const QSize size = fClient->sizeHint().expandedTo(QSize(800, 561));
  fClient->setFixedSize(size);
  setFixedSize(size);
  fGrid->activate();
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
  QGroupBox* g = Group("Prüfungen durchführen");
  PageControl = new QTabWidget;
  Tight(new QVBoxLayout(g))->addWidget(PageControl);
  auto* single = new QWidget;
  EditBlz = Edit("EditBlz", 8, 10);
  EditKto = Edit("EditKto", 10, 12);
  ButtonCheck = Button("&Prüfen");
  auto* grid = Tight(new QGridLayout(single));
  Row(grid, 0, Label("&Bankleitzahl:", EditBlz), EditBlz);
  Row(grid, 1, Label("Kontonummer:", EditKto), EditKto);
  grid->setColumnStretch(2, 1);
  grid->addWidget(ButtonCheck, 0, 3, 2, 1, Qt::AlignVCenter);
  grid->setRowStretch(2, 1);
  PageControl->addTab(single, "&Einzeln");
  PageControl->addTab(BuildFilesPage(), "&Dateien");
  EditIban = Edit("EditIban");
  EditIban->setMinimumWidth(EditWidth(EditIban, kWidestIban));
  ButtonIban = Button("&Prüfen");
  PageControl->addTab(EntryPage(Label("IBAN eingeben:", EditIban), EditIban, ButtonIban), "&IBAN");
  EditCC = Edit("EditCC", 16, 18);
  ButtonCC = Button("Prü&fen");
  PageControl->addTab(EntryPage(Label("Kreditkartennummer eingeben:", EditCC), EditCC, ButtonCC),
                      "&Kreditkarte");
  connect(ButtonCheck, &QPushButton::clicked, this, &TFormMain::CheckSingle);
  connect(ButtonIban, &QPushButton::clicked, this, &TFormMain::CheckIban);
  connect(ButtonCC, &QPushButton::clicked, this, &TFormMain::CheckCard);
  QPushButton* pages[] = {ButtonCheck, ButtonCsv, ButtonIban, ButtonCC};
  fDefaults[g] = [this, pages] {
    const int page = PageControl->currentIndex();
    return page >= 0 && page < 4 ? pages[page] : nullptr;
  };
  fGrid->addWidget(g, 0, 0, 1, 2);
}

// Page "Dateien": a text file of bank connections, or a DTAUS file.
QWidget* TFormMain::BuildFilesPage() {
  auto* page = new QWidget;
  PageControlFiles = new QTabWidget;
  Tight(new QVBoxLayout(page), 2)->addWidget(PageControlFiles);
  auto* csv = new QWidget;
  EditBlzColumn = Edit("EditBlzColumn", 3, 3);
  EditBlzColumn->setText("13");
  EditKtoColumn = Edit("EditKtoColumn", 3, 3);
  EditKtoColumn->setText("12");
  auto* sep = Group("Trennzeichen");
  RadioComma = Radio(", (Komma)", true);
  RadioSemicolon = Radio("; (Strichpunkt)");
  RadioTab = Radio("TAB");
  auto* radios = Tight(new QVBoxLayout(sep), 4);
  radios->setSpacing(0);
  for (QRadioButton* r : {RadioComma, RadioSemicolon, RadioTab}) radios->addWidget(r);
  CheckAppend = Check("Ergebnisse anh&ängen", false);
  ButtonCsv = Button("Da&tei prüfen");
  auto* grid = Tight(new QGridLayout(csv), 4);
  Row(grid, 0, Label("Spalte Blz:", EditBlzColumn), EditBlzColumn);
  Row(grid, 1, Label("Spalte Konto:", EditKtoColumn), EditKtoColumn);
  grid->addWidget(sep, 0, 2, 3, 1);
  grid->addWidget(CheckAppend, 0, 3);
  grid->addWidget(ButtonCsv, 1, 3);
  grid->setRowStretch(2, 1);
  PageControlFiles->addTab(csv, "Text/CSV");
  auto* dtaus = new QWidget;
  ButtonDtausCheck = Button("&DTAUS-Datei prüfen");
  auto* column = Tight(new QVBoxLayout(dtaus));
  column->addLayout(Line({ButtonDtausCheck}, true));
  column->addStretch(1);
  PageControlFiles->addTab(dtaus, "DTAUS");
  connect(ButtonCsv, &QPushButton::clicked, this, &TFormMain::CheckCsvFile);
  connect(ButtonDtausCheck, &QPushButton::clicked, this, &TFormMain::CheckDtausFile);
  return page;
}

void TFormMain::BuildSearchAndBankData() {
  QGroupBox* s = Group("Suche/Gesamtliste");
  auto* hint = Label("Für ALLE Banken bitte das Eingabefeld leer lassen!");
  hint->setWordWrap(true);
  EditSearch = Edit("EditSearch");
  CheckFragments = Check("Auch &Wortteile", false);
  ButtonSearch = Button("&Suchen");
  auto* column = Tight(new QVBoxLayout(s));
  column->addWidget(hint);
  column->addWidget(Label("Such&text:", EditSearch));
  column->addWidget(EditSearch);
  column->addLayout(Line({CheckFragments, nullptr, ButtonSearch}));
  column->addStretch(1);
  connect(ButtonSearch, &QPushButton::clicked, this, &TFormMain::Search);
  fDefaults[s] = [this] { return ButtonSearch; };
  fGrid->addWidget(s, 0, 2);

  QGroupBox* b = Group("Bankdaten herausfinden");
  EditBankdaten = Edit("EditBankdaten", 8, 10);
  ButtonBankdaten = Button("Daten &holen");
  MemoBankdaten = new QPlainTextEdit;
  MemoBankdaten->setObjectName("MemoBankdaten");
  MemoBankdaten->setReadOnly(true);
  MemoBankdaten->setLineWrapMode(QPlainTextEdit::NoWrap);
  MemoBankdaten->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  MemoBankdaten->setFont(QFont("Courier New", 8));
  // Six lines and the scroll bar; taller only where the row has room.
  MemoBankdaten->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
  MemoBankdaten->setMinimumHeight(7 * QFontMetrics(MemoBankdaten->font()).lineSpacing() + 8);
  MemoBankdaten->setPlainText("(Ergebnis...)\n");
  auto* column2 = Tight(new QVBoxLayout(b));
  column2->addLayout(Line(
      {Label("Bank&leitzahl eingeben:", EditBankdaten), EditBankdaten, nullptr, ButtonBankdaten}));
  column2->addWidget(MemoBankdaten, 1);
  connect(ButtonBankdaten, &QPushButton::clicked, this, &TFormMain::BankData);
  connect(EditBankdaten, &QLineEdit::textChanged, this,
          [this] { MemoBankdaten->setPlainText("(Ergebnis...)\n"); });
  fDefaults[b] = [this] { return ButtonBankdaten; };
  fGrid->addWidget(b, 1, 0);
}

void TFormMain::BuildIban() {
  QGroupBox* g = Group("IBAN/BIC erzeugen");
  g->setProperty("hint", "IBAN-Ermittlung erst ab Bankdaten Version 1320");
  GroupIban = g;
  EditIbanBlz = Edit("EditIbanBlz", 8, 10);
  EditIBanKto = Edit("EditIBanKto", 10, 12);
  ButtonMakeIban = Button("   IBAN/BIC     erzeu&gen");
  CheckSpaces = Check("&Mit Zwischenräumen für bessere Lesbarkeit", true);
  EditIbanResult = Edit("EditIbanResult");
  EditIbanResult->setReadOnly(true);
  EditIbanResult->setMinimumWidth(EditWidth(EditIbanResult, kWidestIban));
  EditBicResult = Edit("EditBicResult");
  EditBicResult->setFixedWidth(EditWidth(EditBicResult, kWidestBic));
  EditBicResult->setReadOnly(true);
  auto* grid = Tight(new QGridLayout(g));
  Row(grid, 0, Label("Bankleit&zahl:", EditIbanBlz), EditIbanBlz);
  Row(grid, 1, Label("Kontonummer:", EditIBanKto), EditIBanKto);
  grid->addWidget(ButtonMakeIban, 2, 0, 1, 3);
  grid->addWidget(CheckSpaces, 3, 0, 1, 3);
  // The result takes the whole width: a grouped IBAN is long.
  grid->addWidget(Label("ergibt IBAN:"), 4, 0, 1, 3);
  grid->addWidget(EditIbanResult, 5, 0, 1, 3);
  Row(grid, 6, Label("BIC:", EditBicResult), EditBicResult);
  grid->setColumnStretch(2, 1);
  grid->setRowStretch(7, 1);
  connect(ButtonMakeIban, &QPushButton::clicked, this, &TFormMain::MakeIban);
  for (QLineEdit* e : {EditIbanBlz, EditIBanKto})
    connect(e, &QLineEdit::textChanged, this, [this] {
      EditIbanResult->clear();
      EditBicResult->clear();
    });
  fDefaults[g] = [this] { return ButtonMakeIban; };
  fGrid->addWidget(g, 1, 1, 1, 2);
}

void TFormMain::BuildUpdateAndFiles() {
  QGroupBox* u = Group("Update-Funktionen und Verwaltung");
  QGroupBox* local = Group("Lokale Funktionen");
  LabelDataFile = Label("Keine");
  LabelDataFile->setObjectName("LabelDataFile");
  QFont bold = font();
  bold.setBold(true);
  LabelDataFile->setFont(bold);
  LabelDataFile->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(kWidestDataFile) + 4);
  LabelDirectory = Label("Keines");
  LabelDirectory->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);  // elided
  ButtonUnpack = Button("Lokale Dateien entpacken");
  ButtonActivate = Button("Datendatei aktivieren");
  AddAll(Tight(new QVBoxLayout(local)),
         {Label("Aktive Datendatei:"), LabelDataFile, Label("Verzeichnis:"), LabelDirectory,
          ButtonUnpack, ButtonActivate});
  QGroupBox* server = Group("Update-Server-Funktionen");
  EditServerUser = Edit("EditServerUser");
  EditServerPassword = Edit("EditServerPassword");
  EditServerPassword->setEchoMode(QLineEdit::Password);
  ButtonServerCheck = Button("Nur nachsehen");
  ButtonServerDownload = Button("Nachsehen und auch gleich runterladen");
  auto* grid = Tight(new QGridLayout(server));
  Row(grid, 0, Label("Benutzername:", EditServerUser), EditServerUser);
  Row(grid, 1, Label("Kennwort:", EditServerPassword), EditServerPassword);
  grid->addWidget(ButtonServerCheck, 2, 0, 1, 2);
  grid->addWidget(ButtonServerDownload, 3, 0, 1, 2);
  grid->setRowStretch(4, 1);
  auto* both = Tight(new QVBoxLayout(u));
  both->addWidget(local);
  both->addWidget(server, 1);
  connect(ButtonActivate, &QPushButton::clicked, this, &TFormMain::ActivateDataFile);
  connect(ButtonUnpack, &QPushButton::clicked, this, &TFormMain::UnpackPackage);
  connect(ButtonServerCheck, &QPushButton::clicked, this, [this] { AskUpdateServer(false); });
  connect(ButtonServerDownload, &QPushButton::clicked, this, [this] { AskUpdateServer(true); });
  fDefaults[local] = [this] { return ButtonActivate; };
  fDefaults[server] = [this] { return ButtonServerCheck; };
  fGrid->addWidget(u, 0, 3, 2, 1);

  QGroupBox* d = Group("DTAUS-/SEPA-Dateien erzeugen");
  auto* text =
      Label("Schreibt zur Demonstration eine kleine DTAUS-/SEPA- Datei mit zufälligem Inhalt.");
  text->setWordWrap(true);
  ButtonDtaus = Button("DTAUS schreiben");
  ButtonSepaCredit = Button("SEPA-Gut");
  ButtonSepaDebit = Button("SEPA-Last");
  auto* column2 = Tight(new QVBoxLayout(d));
  column2->addWidget(text);
  column2->addLayout(Line({ButtonDtaus, ButtonSepaCredit, ButtonSepaDebit}));
  column2->addStretch(1);
  connect(ButtonDtaus, &QPushButton::clicked, this, &TFormMain::SampleDtaus);
  connect(ButtonSepaCredit, &QPushButton::clicked, this, [this] { SampleSepa(false); });
  connect(ButtonSepaDebit, &QPushButton::clicked, this, [this] { SampleSepa(true); });
  fDefaults[d] = [this] { return ButtonDtaus; };
  fLowerLeft->addWidget(d, 1);
}

void TFormMain::BuildBicAndProxy() {
  QGroupBox* g = Group("BIC-Abfrage im SCL-Directory durchführen");
  g->setProperty("hint", "SCL-Directory erst ab Bankdaten Version 1230");
  GroupBic = g;
  EditBic = Edit("EditBic", 11);
  EditBic->setFixedWidth(EditWidth(EditBic, kWidestBic));
  connect(EditBic, &QLineEdit::textEdited, this, [this](const QString& t) {
    const int at = EditBic->cursorPosition();
    EditBic->setText(t.toUpper());
    EditBic->setCursorPosition(at);
  });
  ButtonBic = Button("Ab&fragen");
  AddAll(Tight(new QHBoxLayout(g)),
         {Label("BI&C eingeben:", EditBic), EditBic, nullptr, ButtonBic});
  connect(ButtonBic, &QPushButton::clicked, this, &TFormMain::QueryBic);
  fDefaults[g] = [this] { return ButtonBic; };
  fLowerLeft->addWidget(g);

  QGroupBox* p = Group("Proxy- und Timeout-Einstellungen für Updates");
  EditProxyHost = Edit("EditProxyHost");
  EditProxyPort = Edit("EditProxyPort", 5, 6);
  EditTimeout = Edit("EditTimeout", 4, 5);
  EditTimeout->setText("10");
  auto* column = Tight(new QVBoxLayout(p));
  column->addLayout(Line({Label("Host:"), EditProxyHost, Label("Port:"), EditProxyPort}));
  column->addLayout(Line({Label("Timeout in Sekunden:"), EditTimeout}, true));
  fLowerLeft->addWidget(p);
}

void TFormMain::BuildWorkdays() {
  QGroupBox* g = Group("Arbeitstage bestimmen");
  ComboBoxMonat = new QComboBox;
  ComboBoxMonat->setObjectName("ComboBoxMonat");
  for (const char* m : kMonths) ComboBoxMonat->addItem(m);
  EditJahr = Edit("EditJahr", 4, 5);
  CheckSaturday = Check("Samstag ist Arbeitstag", false);
  auto* grid = Tight(new QGridLayout(g));
  grid->addLayout(Line({Label("M&onat:", ComboBoxMonat), ComboBoxMonat, nullptr,
                        Label("&Jahr:", EditJahr), EditJahr}),
                  0, 0, 1, 2);
  grid->addWidget(CheckSaturday, 1, 0, 1, 2);
  grid->addWidget(Label("Folgende Tage sind als Feiertage zu werten:"), 2, 0, 1, 2);
  int i = 0;
  for (const THoliday& h : kHolidays) {
    QCheckBox* c = Check(h.caption, h.checked);
    c->setObjectName(QString("CheckBoxHoliday%1").arg(i + 1));
    c->setProperty("tag", h.tag);
    grid->addWidget(c, 3 + i / 2, i % 2);
    ++i;
  }
  ButtonWorkdays = Button("&Arbeitstage berechnen");
  grid->addWidget(ButtonWorkdays, 3 + i / 2, 1, Qt::AlignRight);
  grid->setRowStretch(4 + i / 2, 1);
  connect(ButtonWorkdays, &QPushButton::clicked, this, &TFormMain::Workdays);
  fDefaults[g] = [this] { return ButtonWorkdays; };
  fGrid->addWidget(g, 2, 1, 1, 2);
}

void TFormMain::BuildStatements() {
  QGroupBox* g = Group("Kontoauszüge einlesen");
  auto* kind = Group("Datenbanktyp");
  RadioOdbc = Radio("ODBC", true);
  RadioMssql = Radio("MS-SQL");
  GroupAuth = Group("Authentifizierung");
  RadioPassword = Radio("Username/Password", true);
  RadioWindowsAuth = Radio("Windows-Auth.");
  for (auto [box, a, b] : {std::tuple{kind, RadioOdbc, RadioMssql},
                           std::tuple{GroupAuth, RadioPassword, RadioWindowsAuth}}) {
    auto* radios = Tight(new QVBoxLayout(box), 4);
    radios->addWidget(a);
    radios->addWidget(b);
  }
  GroupAuth->setEnabled(false);
  LabelUser = Label("Username:");
  LabelPassword = Label("Password:");
  LabelDbName = Label("ODBC-Name:");
  // Room for the caption it shows for MS-SQL as well.
  LabelDbName->setMinimumWidth(QFontMetrics(LabelDbName->font()).horizontalAdvance("Host[/Name]:"));
  EditUser = Edit("EditUser");
  EditPassword = Edit("EditPassword");
  EditPassword->setEchoMode(QLineEdit::Password);
  EditDbName = Edit("EditDbName");
  EditTranslations = Edit("EditTranslations");
  EditUserId = Edit("EditUserId", 0, 6);
  EditUserId->setText("0");
  ButtonImport = Button("Einlesen");
  auto* grid = Tight(new QGridLayout(g));
  grid->addLayout(Line({kind, GroupAuth}), 0, 0, 1, 3);
  Row(grid, 1, LabelUser, EditUser, 2);
  Row(grid, 2, LabelPassword, EditPassword, 2);
  Row(grid, 3, LabelDbName, EditDbName, 2);
  Row(grid, 4, Label("Translations:"), EditTranslations, 2);
  Row(grid, 5, Label("User-Id:"), EditUserId);
  grid->addWidget(ButtonImport, 5, 2, Qt::AlignRight);
  grid->setRowStretch(6, 1);
  for (QRadioButton* r : {RadioOdbc, RadioMssql, RadioPassword, RadioWindowsAuth})
    connect(r, &QRadioButton::toggled, this, &TFormMain::DatabaseKindChanged);
  connect(ButtonImport, &QPushButton::clicked, this, &TFormMain::ImportStatements);
  fDefaults[g] = [this] { return ButtonImport; };
  fGrid->addWidget(g, 2, 3);
}

void TFormMain::BuildInformation() {
  QGroupBox* g = Group("Informationen");
  QFont bold = font();
  bold.setBold(true);
  bold.setPixelSize(10);
  QLabel* text = Label(
      "Alle Informationen zu dieser Software (Dokumentation, "
      "Bestellmöglichkeiten etc.) finden Sie im Internet unter:");
  text->setFont(bold);
  QLabel* link = Label(QString("<a href=\"%1\">%1</a>").arg(zel::kProductUrl));
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
  Tight(new QHBoxLayout(g))->addLayout(Line({text, nullptr, link}));
  fGrid->addWidget(g, 3, 0, 1, 4);
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
