// The main window: every function on one screen of fixed size (at least
// 800 x 561, more where its texts need it), in group boxes. Each handler
// builds the proxy it needs, uses it and frees it; the answers are shown in words through the
// dialogs interface. While automation objects are alive, closing the window asks first.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <random>

#include "Dialogs.h"
#include "Proxies.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QVBoxLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace zelgui {

class TFormResult;

class TFormMain : public QMainWindow {
  Q_OBJECT

 public:
  // liveObjects: the number of automation objects alive now.
  explicit TFormMain(std::function<int()> liveObjects, QWidget* parent = nullptr);
  ~TFormMain() override;

  TFormResult& FormResult() const { return *fResult; }
  // The button Enter presses now (the main button of the group with the focus).
  QPushButton* DefaultButton() const { return fDefault; }

  // The handlers (also reached by their buttons).
  void CheckSingle();
  void CheckIban();
  void CheckCard();
  void Search();
  void BankData();
  void MakeIban();
  void QueryBic();
  void Workdays();
  void ImportStatements();
  void CheckCsvFile();
  void CheckDtausFile();
  void HiddenTest();
  void RefreshDataFile();
  void ActivateDataFile();
  void UnpackPackage();
  void AskUpdateServer(bool download);
  void SampleDtaus();
  void SampleSepa(bool debit);
  // Which of "IBAN/BIC erzeugen" and "BIC-Abfrage" the bank data of this
  // year and quarter (texts of the version) allow.
  static bool AllowsIban(const QString& year, const QString& quarter);
  static bool AllowsScl(const QString& year, const QString& quarter);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildChecks();
  QWidget* BuildFilesPage();
  void BuildSearchAndBankData();
  void BuildIban();
  void BuildUpdateAndFiles();
  void BuildBicAndProxy();
  void BuildWorkdays();
  void BuildStatements();
  void BuildInformation();
  void FocusChanged(QWidget* now);
  void DatabaseKindChanged();
  void EnableGroup(QGroupBox* group, bool on);
  void ShowDirectory();
  // A random integer 0..k from the generator seeded at start.
  int Random(int k);
  void Show(const QString& text, TDialogs::TKind kind = TDialogs::Plain);
  void FocusAndSelect(QLineEdit* edit);
  void CheckField(QLineEdit* edit,
                  std::int32_t (zel::TProxyZelProbeObject::*check)(const std::string&));

  std::function<int()> fLiveObjects;
  TFormResult* fResult;
  QWidget* fClient;
  QGridLayout* fGrid;
  QVBoxLayout* fLowerLeft;  // BIC query, proxy, sample files
  std::map<QGroupBox*, std::function<QPushButton*()>> fDefaults;
  QPushButton* fDefault = nullptr;
  std::mt19937 fRandom;

 public:
  // The controls, by the names the window has always used.
  QTabWidget* PageControl = nullptr;
  QLineEdit *EditBlz = nullptr, *EditKto = nullptr, *EditIban = nullptr, *EditCC = nullptr;
  QPushButton *ButtonCheck = nullptr, *ButtonIban = nullptr, *ButtonCC = nullptr;
  QTabWidget* PageControlFiles = nullptr;
  QLineEdit *EditBlzColumn = nullptr, *EditKtoColumn = nullptr;
  QRadioButton *RadioComma = nullptr, *RadioSemicolon = nullptr, *RadioTab = nullptr;
  QCheckBox* CheckAppend = nullptr;
  QPushButton *ButtonCsv = nullptr, *ButtonDtausCheck = nullptr;
  QLineEdit* EditSearch = nullptr;
  QCheckBox* CheckFragments = nullptr;
  QPushButton* ButtonSearch = nullptr;
  QLineEdit* EditBankdaten = nullptr;
  QPushButton* ButtonBankdaten = nullptr;
  QPlainTextEdit* MemoBankdaten = nullptr;
  QLabel* LabelLink = nullptr;  // the product's web address
  QLineEdit *EditIbanBlz = nullptr, *EditIBanKto = nullptr, *EditIbanResult = nullptr,
            *EditBicResult = nullptr;
  QCheckBox* CheckSpaces = nullptr;
  QPushButton* ButtonMakeIban = nullptr;
  QLineEdit* EditBic = nullptr;
  QPushButton* ButtonBic = nullptr;
  QLineEdit *EditProxyHost = nullptr, *EditProxyPort = nullptr, *EditTimeout = nullptr;
  QComboBox* ComboBoxMonat = nullptr;
  QLineEdit* EditJahr = nullptr;
  QCheckBox* CheckSaturday = nullptr;
  QPushButton* ButtonWorkdays = nullptr;
  QRadioButton *RadioOdbc = nullptr, *RadioMssql = nullptr, *RadioPassword = nullptr,
               *RadioWindowsAuth = nullptr;
  QGroupBox* GroupAuth = nullptr;
  QLabel *LabelUser = nullptr, *LabelPassword = nullptr, *LabelDbName = nullptr;
  QLineEdit *EditUser = nullptr, *EditPassword = nullptr, *EditDbName = nullptr,
            *EditTranslations = nullptr, *EditUserId = nullptr;
  QPushButton* ButtonImport = nullptr;
  QLabel *LabelDataFile = nullptr, *LabelDirectory = nullptr;
  QPushButton *ButtonUnpack = nullptr, *ButtonActivate = nullptr;
  QLineEdit *EditServerUser = nullptr, *EditServerPassword = nullptr;
  QPushButton *ButtonServerCheck = nullptr, *ButtonServerDownload = nullptr;
  QGroupBox *GroupIban = nullptr, *GroupBic = nullptr;
  QPushButton *ButtonDtaus = nullptr, *ButtonSepaCredit = nullptr, *ButtonSepaDebit = nullptr;
  // Seeds the sample files' generator (tests).
  void Seed(unsigned seed);
};

}  // namespace zelgui
