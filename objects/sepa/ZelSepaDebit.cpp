// The direct-debit files of the SEPA object and its operations on the
// mandate database directory.

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>

#include "BankUtil.h"
#include "Cp1252.h"
#include "MiniUtils.h"
#include "PmtInfList.h"
#include "ZelSepaObject.h"

namespace zel {
namespace {

std::string T(const char* utf8) { return Utf8ToCp1252(utf8); }

const std::string kEmptyField = "Leeres Feld nicht zugelassen";
constexpr std::size_t kMaxMandatRef = 35;

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The directory exists or is created with its parents.
bool EnsureDirectory(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return IsDirectory(path);
}

}  // namespace

// ---------------------------------------------------------------------------
// Debit files

std::int32_t TZelSepaObject::OpenDebit(std::int32_t aMandant, const std::string& aMsgId,
                                       const std::string& aInitgPty, const std::string& aCtgyPurp,
                                       const std::string& aAuftraggeber, const std::string& aIban,
                                       const std::string& aBic, const std::string& aCreditorId) {
  if (DataModule) return Fail(4, T("Es ist bereits eine Datei geöffnet"));
  if (aMsgId.empty() || aInitgPty.empty() || aAuftraggeber.empty() || aIban.empty())
    return Fail(160, kEmptyField);
  if (aMandant < 0) return Fail(160, T("Mandant muss größer oder gleich 0 sein"));
  std::string iban, bic, ctgyPurp, initgPty, ownName;
  if (const int r = CheckIban(aIban, iban)) return r;
  if (const int r = CheckBic(aBic, bicOwn, bic)) return r;
  if (const int r = CheckPurposeCode(aCtgyPurp, true, ctgyPurp)) return r;
  const std::string creditorId = BankUtil::ConvertToIbanBic(aCreditorId, false);
  if (BankUtil::TestCreditorId(creditorId) != 0) return Fail(160, T("Gläubiger-ID ist ungültig"));
  if (const int r = CheckText(aInitgPty, 70, "Name des Einreichers", initgPty)) return r;
  if (const int r = CheckText(aAuftraggeber, 70, "Name des Gläubigers", ownName)) return r;
  auto database = std::make_unique<TSepaMiniDatabase>(DbDirectory);
  const int opened = aMandant >= 1 ? database->Open(aMandant, true) : 0;
  if (opened == 183) return Fail(183, database->LastError());  // debits of a file before
  try {
    OwnIban = iban;
    OwnBic = bic;
    CreditorId = creditorId;
    MsgId = BankUtil::ConvertToSepaChars(aMsgId, false).substr(0, 35);
    InitgPtyName = initgPty;
    CtgyPurp = MiniUtils::UpperAZ(BankUtil::ConvertToSepaChars(ctgyPurp, false));
    OwnName = ownName;
    Mandant = aMandant;
    BuildFrame(Pain008Version, "CstmrDrctDbtInitn");
    PmtInfList = std::make_unique<TPmtInfList>(TPmtInfHeader{MsgId, kDebitTypeText[DebitType], "",
                                                             CtgyPurp, OwnName, OwnIban, OwnBic,
                                                             CreditorId, OwnAddress, Current()});
  } catch (const std::bad_alloc&) {
    PmtInfList.reset();
    DataModule.reset();
    return Fail(29, "Zu wenig Speicher");
  }
  Database = std::move(database);
  // A database that cannot be opened leaves the file open all the same for
  // debits that need no history.
  if (opened != 0) return Fail(110, "Lastschriftdatenbank: " + Database->LastError());
  LastError.clear();
  return 0;
}

// The checks of a debit that need neither the document nor the history.
std::int32_t TZelSepaObject::CheckDebitArguments(std::int32_t Kunde, std::int32_t SeqTp,
                                                 Currency Betrag, const std::string& Name,
                                                 const std::string& Iban,
                                                 const std::string& MandatRef,
                                                 const std::string& MandatDate) {
  if (Betrag == 0 || Name.empty() || Iban.empty() || MandatRef.empty() || MandatDate.empty())
    return Fail(160, kEmptyField);
  if (SeqTp < -2 || SeqTp > 3)
    return Fail(160, "SeqTp muss zwischen -2 und +3 liegen (siehe Dokumentation)");
  if (Kunde < 0) return Fail(160, "Bitte verwenden Sie keine negativen Kundennummern");
  if (Kunde == 0 && SeqTp < 0)
    return Fail(160, T("Für einen automatischen SeqTp muss eine Kundennummer größer als 0 "
                       "verwendet werden"));
  if (Mandant == 0 && Kunde >= 1)
    return Fail(160, T("Bei Mandant 0 ohne Automatik muss auch Kunde 0 übergeben werden"));
  return 0;
}

std::int32_t TZelSepaObject::WriteDebit(std::int32_t Kunde, std::int32_t SeqTp, Currency Betrag,
                                        const std::string& Name, const std::string& Iban,
                                        const std::string& Bic, const std::string& Purp,
                                        const std::string& Ref, const std::string& Verwend,
                                        const std::string& MandatRef,
                                        const std::string& MandatDate) {
  if (const int r = CheckCallOrder("Write", true)) return r;
  if (const int r = CheckDebitArguments(Kunde, SeqTp, Betrag, Name, Iban, MandatRef, MandatDate))
    return r;
  Currency amount = 0;
  std::string iban, bic, purp, date = MandatDate, message, name, text, endToEnd;
  if (const int r = CheckAmount(Betrag, amount)) return r;
  if (const int r = CheckIban(Iban, iban)) return r;
  if (const int r = CheckBic(Bic, bicDd, bic)) return r;
  if (const int r = CheckPurposeCode(Purp, false, purp)) return r;
  if (const int r = CheckText(Name, 70, "Name", name)) return r;
  if (const int r = CheckText(Verwend, 140, "Verwendungszweck", text)) return r;
  if (const int r = CheckEndToEnd(Ref, endToEnd)) return r;
  BankUtil::CheckMandatDate(date, message);
  if (!message.empty()) return Fail(160, message);
  const std::string mandatRef = BankUtil::ConvertToSepaChars(MandatRef, false);
  if (mandatRef.size() > kMaxMandatRef)
    return Fail(160, T("Mandatsreferenz länger als 35 Zeichen"));
  TDetailRecord detail;
  if (SeqTp < 0) {
    SetSequenceType(Database.get(), Kunde, mandatRef, iban, bic, SeqTp == -2, detail);
    if (detail.Status == detailCorrupt) return Fail(13, detail.Error);
  } else {
    SeqType = static_cast<TSequenceType>(SeqTp);
    detail.Status = detailFoundUnchanged;
  }
  ActualDueDate = SeqType == seqRCUR || SeqType == seqFNAL ? ShortDueDate : LongDueDate;
  CheckManualDueDate();
  const bool tracked = SeqType != seqOOFF && Kunde != 0;
  if (tracked && !Database->GetIsTempOpen())
    return Fail(6,
                "Lastschrift wurde nicht geschrieben: die temporäre Datenbank ist nicht "
                "geöffnet");
  try {
    TPmtInf& block = PmtInfList->GetPmtInf(kSequenceTypeText[SeqType], ActualDueDate);
    AddDebitTx(block.Body(), endToEnd, amount, mandatRef, date, detail, bic, name, iban, purp,
               text);
    block.AddBetrag(amount);
    if (tracked)
      Pending.push_back(MakeSepaRecord(Kunde, {mandatRef, OwnName, CreditorId, iban, bic}, endToEnd,
                                       SeqType, ActualDueDate));
  } catch (const std::bad_alloc&) {
    return Fail(29, "Zu wenig Speicher");
  }
  NextAddress = {};
  Counted(amount);
  return 0;
}

std::int32_t TZelSepaObject::RecordPending(std::string& error) {
  if (Pending.empty()) return 0;
  if (const int r = Database->AppendTemp(Pending)) {
    error = T("Die Datei ist gespeichert, aber die Lastschriften sind nicht alle für die "
              "Mandantenhistorie vorgemerkt: ") +
            Database->LastError();
    return r;
  }
  return 0;
}

// One DrctDbtTxInf with the mandate and, when it changed, the amendment.
void TZelSepaObject::AddDebitTx(TXmlText& x, const std::string& endToEnd, Currency amount,
                                const std::string& mandatRef, const std::string& mandatDate,
                                const TDetailRecord& detail, const std::string& bic,
                                const std::string& name, const std::string& iban,
                                const std::string& purp, const std::string& text) {
  x.Begin("DrctDbtTxInf").Path("PmtId/EndToEndId", endToEnd);
  x.Leaf("InstdAmt", "Ccy", "EUR", BankUtil::SepaBetrag(amount));
  x.Begin("DrctDbtTx").Begin("MndtRltdInf").Leaf("MndtId", mandatRef).Leaf("DtOfSgntr", mandatDate);
  const bool changed = detail.Status == detailFoundChanged;
  x.Leaf("AmdmntInd", changed ? "true" : "false");
  if (changed) {
    x.Begin("AmdmntInfDtls");
    if (!detail.OrgnlMndtId.empty()) x.Leaf("OrgnlMndtId", detail.OrgnlMndtId);
    if (!detail.OrgnlCdtrSchmeNm.empty() || !detail.OrgnlCdtrSchmeId.empty()) {
      x.Begin("OrgnlCdtrSchmeId");
      if (!detail.OrgnlCdtrSchmeNm.empty()) x.Leaf("Nm", detail.OrgnlCdtrSchmeNm);
      if (!detail.OrgnlCdtrSchmeId.empty()) {
        x.Begin("Id").Begin("PrvtId").Begin("Othr").Leaf("Id", detail.OrgnlCdtrSchmeId);
        x.Path("SchmeNm/Prtry", "SEPA").End().End().End();
      }
      x.End();
    }
    if (!detail.OrgnlDbtrAcct.empty()) x.Path("OrgnlDbtrAcct/Id/IBAN", detail.OrgnlDbtrAcct);
    if (!detail.OrgnlDbtrAgt.empty())
      x.Path("OrgnlDbtrAgt/FinInstnId/Othr/Id", detail.OrgnlDbtrAgt);
    x.End();
  }
  x.End().End();
  WriteAgent(x, "DbtrAgt", bic, Current());
  WriteParty(x, "Dbtr", name, NextAddress, Current());
  x.Path("DbtrAcct/Id/IBAN", iban);
  if (!purp.empty()) x.Path("Purp/Cd", purp);
  if (!text.empty()) x.Path("RmtInf/Ustrd", text);
  x.End();
}

std::int32_t TZelSepaObject::CloseDebit(const std::string& Filename) {
  if (const int r = CheckCallOrder("Close", true)) return r;
  return SaveAndClose(&Filename);
}

void TZelSepaObject::SetSequenceType(const TSepaMiniDatabase* db, std::int32_t Kunde,
                                     const std::string& MandatRef, const std::string& Iban,
                                     const std::string& Bic, bool Final, TDetailRecord& Detail) {
  Detail = db ? db->GetDetailRecord(Kunde, {MandatRef, OwnName, CreditorId, Iban, Bic})
              : TDetailRecord{};
  const bool found = Detail.Status != detailNotFound;
  SeqType = found ? (Final ? seqFNAL : seqRCUR) : (Final ? seqOOFF : seqFRST);
  if (Detail.Status == detailFoundChanged && Detail.OrgnlDbtrAgt == "SMNDA") SeqType = seqFRST;
}

std::int32_t TZelSepaObject::SepaCommandGetSeqTp(std::int32_t aMandant, std::int32_t Kunde,
                                                 bool Final, const std::string& MandatRef,
                                                 const std::string& Iban, const std::string& Bic) {
  if (aMandant <= 0 || Kunde <= 0) return Fail(87, T("Mandant und Kunde müssen größer als 0 sein"));
  TDetailRecord detail;
  if (Database && Mandant == aMandant) {
    SetSequenceType(Database.get(), Kunde, MandatRef, Iban, Bic, Final, detail);
  } else {
    TSepaMiniDatabase db(DbDirectory);
    db.OpenMandReadOnly(aMandant);  // without a mandate file nobody is known
    SetSequenceType(&db, Kunde, MandatRef, Iban, Bic, Final, detail);
  }
  if (detail.Status == detailCorrupt) return Fail(13, detail.Error);
  LastError.clear();
  return SeqType;
}

// ---------------------------------------------------------------------------
// The database directory

std::string TZelSepaObject::GetDefaultDbDirectory() {
  const char* data = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  std::string base = data && *data == '/' ? data : std::string(home ? home : "") + "/.local/share";
  return base + "/Brenk/Zelvaro/SEPA";
}

std::int32_t TZelSepaObject::SetDbDirectory(const std::string& aDbDirectory) {
  std::string dir = aDbDirectory.empty() ? GetDefaultDbDirectory() : aDbDirectory;
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  if (!EnsureDirectory(dir))
    return Fail(82, "Verzeichnis " + dir + " existiert nicht und kann auch nicht angelegt werden");
  DbDirectory = dir;
  LastError.clear();
  return 0;
}

std::int32_t TZelSepaObject::TestDbDirectory() {
  if (!EnsureDirectory(DbDirectory))
    return Fail(
        82, "Verzeichnis " + DbDirectory + " existiert nicht und kann auch nicht angelegt werden");
  const std::string file = DbDirectory + "/test.db";
  auto failing = [&](int code, const char* text) {
    return Fail(code, T(text) + "\"" + file + "\": " + std::strerror(errno));
  };
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(file.c_str(), "w+xe"), std::fclose);
  if (!f && errno == EEXIST && std::remove(file.c_str()) == 0)
    f.reset(std::fopen(file.c_str(), "w+xe"));
  if (!f) return failing(82, "Fehler beim Anlegen der Test-Datenbank ");
  char back[9];
  std::memset(back, 'X', sizeof back);
  const bool written = std::fwrite("Testdaten", 1, 9, f.get()) == 9 && std::fflush(f.get()) == 0;
  if (!written)
    return std::remove(file.c_str()), failing(29, "Fehler beim Schreiben in die Test-Datenbank ");
  std::rewind(f.get());
  const bool same = std::fread(back, 1, 9, f.get()) == 9 && std::memcmp(back, "Testdaten", 9) == 0;
  f.reset();
  std::remove(file.c_str());
  if (!same) return failing(30, "Fehler beim Lesen aus der Test-Datenbank ");
  LastError.clear();
  return 0;
}

template <class Op>
std::int32_t TZelSepaObject::WithDatabase(Op op) {
  TSepaMiniDatabase db(DbDirectory);
  const int r = op(db);
  LastError = db.LastError();
  return r;
}

std::string TZelSepaObject::GetTempList() { return TSepaMiniDatabase(DbDirectory).ListTemp(); }

std::int32_t TZelSepaObject::DeleteTemp(std::int32_t aMandant) {
  if (!IsDirectory(DbDirectory))
    return Fail(3, "Das Verzeichnis " + DbDirectory + " existiert nicht");
  const std::string file = DbDirectory + "/temp" + std::to_string(aMandant) + ".db";
  struct stat st {};
  if (::lstat(file.c_str(), &st) != 0) return Fail(2, "Die Datei " + file + " existiert nicht");
  if (std::remove(file.c_str()) != 0)
    return Fail(5, "Die Datei " + file + T(" konnte nicht gelöscht werden"));
  LastError.clear();
  return 0;
}

std::int32_t TZelSepaObject::MergeTemp(std::int32_t aMandant) {
  if (Database)
    return Fail(117, "MergeTemp darf nicht zwischen OpenDebit und CloseDebit aufgerufen werden");
  return WithDatabase([&](TSepaMiniDatabase& db) { return db.MergeTemp(aMandant); });
}

std::int32_t TZelSepaObject::ExportToFile(std::int32_t aMandant, const std::string& aFilename) {
  return WithDatabase([&](TSepaMiniDatabase& db) { return db.ExportToFile(aMandant, aFilename); });
}

std::int32_t TZelSepaObject::ImportFromFile(std::int32_t aMandant, const std::string& aFilename) {
  return WithDatabase(
      [&](TSepaMiniDatabase& db) { return db.ImportFromFile(aMandant, aFilename); });
}

}  // namespace zel
