#include "ZelSepaObject.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <new>

#include "BankUtil.h"
#include "Context.h"
#include "Cp1252.h"
#include "MiniUtils.h"
#include "PmtInfList.h"
#include "SclTab.h"
#include "ZelRegistration.h"

namespace zel {
namespace {

const TZelRegistrar<TZelSepaObject> kRegistration(TZelSepaObject::kClassName);

constexpr const char* kCodeListPage =
    "https://www.iso20022.org/catalogue-messages/additional-content-messages/external-code-sets";
constexpr const char* kSupportMail = "support@zelvaro.de";
// The largest amount of a transaction the schemas allow: 999999999.99.
constexpr Currency kMaxAmount = 9999999999900;
// Lengths of names, remittance texts and ids in the files.
constexpr std::size_t kMaxName = 70;
constexpr std::size_t kMaxText = 140;
constexpr std::size_t kMaxId = 35;
// Offsets beyond this many bank days (about four years) are cut back, so
// that no date leaves the calendar.
constexpr int kMaxBankDays = 999;
// The least offsets of short and long debits, by debit type.
constexpr int kMinShortOffset[] = {2, 1, 1};
constexpr int kMinLongOffset[] = {5, 1, 1};

std::string T(const char* utf8) { return Utf8ToCp1252(utf8); }
std::string TrimmedUpper(const std::string& s) { return MiniUtils::UpperAZ(MiniUtils::Trim(s)); }
int Bounded(int days) { return days > kMaxBankDays ? kMaxBankDays : days; }

const std::string kEmptyField = "Leeres Feld nicht zugelassen";

// "yyyy-mm-ddThh:nn:ss" of a local time.
std::string DateTimeToIso(TDateTime t) {
  const long seconds = std::lround((t - std::floor(t)) * 86400.0) % 86400;
  char time[16];
  std::snprintf(time, sizeof time, "T%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60,
                seconds % 60);
  return DateToIso(t) + time;
}

std::string InternalError(int n) {
  return "Interner Fehler " + std::to_string(n) + " in IsBicSclOk, bitte " + kSupportMail +
         " benachrichtigen";
}

// One line of the IsBicSclOk table: the scheme and the message on 21
// (empty: 21 is accepted).
struct TBicRole {
  const char* scheme;
  const char* notReachable;
};

}  // namespace

TZelSepaObject::TZelSepaObject() {
  SetBankDays(0, 2, 5);
  SetBankHour(12);
  SetSepaVersion(39);
  DbDirectory = GetDefaultDbDirectory();
  SetDbDirectory("");
}

TZelSepaObject::~TZelSepaObject() = default;

std::int32_t TZelSepaObject::Fail(std::int32_t code, std::string message) {
  LastError = std::move(message);
  return code;
}

std::int32_t TZelSepaObject::SetSepaVersion(std::int32_t aSepaVersion) {
  const int v = aSepaVersion < 0 ? -aSepaVersion : aSepaVersion;
  if (DataModule || ((v < 25 || v > 27) && v != 39)) return SepaVersion;
  SepaVersion = v;
  DebitType = aSepaVersion < 0 ? debitB2B : debitCORE;
  Pain001Version = v == 39 ? "001.001.09" : v == 27 ? "001.003.03" : "001.002.03";
  Pain008Version = v == 39 ? "008.001.08" : v == 27 ? "008.003.02" : "008.002.02";
  if (v != 39) Instant = false;
  return v;
}

// ---------------------------------------------------------------------------
// Argument rules shared by credit transfers and debits

std::int32_t TZelSepaObject::CheckIban(const std::string& in, std::string& out) {
  out = BankUtil::ConvertToIbanBic(in, false);
  if (BankUtil::TestIban(out) != 0) return Fail(160, T("IBAN ist ungültig"));
  return 0;
}

std::int32_t TZelSepaObject::CheckBic(const std::string& in, TBicType type, std::string& out) {
  out = in;
  bool unchecked = false;
  const bool wellFormed = BankUtil::IsBicFormatOk(out, unchecked);
  if (out.empty()) {
    if (SepaVersion >= 27) return 0;
    return Fail(160, "IBAN-only erst ab SEPA-Version 2.7 zugelassen");
  }
  if (!wellFormed) return Fail(160, "BIC hat falsches Format");
  if (!unchecked && !IsBicSclOk(out, type)) return 160;
  return 0;
}

std::int32_t TZelSepaObject::CheckPurposeCode(const std::string& in, bool category,
                                              std::string& out) {
  out = TrimmedUpper(in);
  if (out.empty() || (category ? BankUtil::CheckCategoryPurpose(out) : BankUtil::CheckPurpose(out)))
    return 0;
  return Fail(160, std::string(category ? "Category Purpose" : "Purpose") +
                       T(" ist ungültig, siehe ") + kCodeListPage);
}

// A payment amount in whole cents (the fourth decimal rounded as the file
// shows it), so that the totals are the sums of the amounts written.
std::int32_t TZelSepaObject::CheckAmount(Currency in, Currency& cents) {
  if (in < 0) return Fail(160, T("Negative Beträge sind in SEPA-Dateien nicht zugelassen"));
  cents = (in + 50) / 100 * 100;
  if (cents == 0) return Fail(160, T("Der Betrag ist kleiner als ein Cent"));
  if (cents > kMaxAmount) return Fail(160, T("Der Betrag ist größer als 999999999,99 Euro"));
  if (TxSum > INT64_MAX - cents) return Fail(160, T("Die Summe der Datei wird zu groß"));
  return 0;
}

std::int32_t TZelSepaObject::CheckText(const std::string& in, std::size_t max, const char* what,
                                       std::string& out) {
  out = Current() ? BankUtil::ConvertToDkChars(in) : BankUtil::ConvertToSepaChars(in, true);
  if (out.size() <= max) return 0;
  return Fail(160, T(what) + T(" länger als ") + std::to_string(max) + " Zeichen");
}

std::int32_t TZelSepaObject::CheckEndToEnd(const std::string& in, std::string& out) {
  out = MiniUtils::Trim(BankUtil::ConvertToSepaChars(in, true));
  if (out.empty()) out = "NOTPROVIDED";
  if (out.size() <= kMaxId) return 0;
  return Fail(160, T("Referenz länger als 35 Zeichen"));
}

bool TZelSepaObject::IsBicSclOk(const std::string& Bic, TBicType Type) {
  static const TBicRole kRoles[] = {
      {"SCT", ""},
      {"SCT", "BIC ist nicht für Überweisungen erreichbar"},
      {"SDD", "BIC ist nicht für Basislastschriften erreichbar"},
      {"B2B", "BIC ist nicht für Firmenlastschriften erreichbar"},
      {"COR1", "BIC ist nicht für Basislastschriften mit verkürzter Einlieferungsfrist erreichbar"},
  };
  // Rows 0 to 4 of the table; 5 and 6 have no scheme.
  constexpr int kDebitRow[] = {2, 3, 4};
  const int row = Type == bicOwn   ? 0
                  : Type == bicTrf ? 1
                  : Type == bicDd  ? (DebitType <= debitCOR1 ? kDebitRow[DebitType] : 5)
                                   : 6;
  if (row > 4) {
    LastError = InternalError(row + 1);
    return false;
  }
  const int verdict = SepaCommandBICSCL(Bic, kRoles[row].scheme);
  if (verdict == 0 || (verdict == 21 && row == 0)) return true;
  if (verdict == 13)
    LastError = "BIC ist nicht im SCL-Directory der Bundesbank enthalten";
  else if (verdict == 21)
    LastError = T(kRoles[row].notReachable);
  else
    LastError = InternalError(row + 1);
  return false;
}

// ---------------------------------------------------------------------------
// Credit transfers

std::int32_t TZelSepaObject::OpenCredit(const std::string& aMsgId, const std::string& aPmtInfId,
                                        const std::string& aInitgPty, const std::string& aCtgyPurp,
                                        const std::string& aAuftraggeber, const std::string& aIban,
                                        const std::string& aBic) {
  if (DataModule) return Fail(4, T("Es ist bereits eine Datei geöffnet"));
  if (aMsgId.empty() || aPmtInfId.empty() || aInitgPty.empty() || aAuftraggeber.empty() ||
      aIban.empty())
    return Fail(160, kEmptyField);
  std::string iban, bic, ctgyPurp, initgPty, ownName;
  if (const int r = CheckIban(aIban, iban)) return r;
  if (const int r = CheckBic(aBic, bicOwn, bic)) return r;
  if (const int r = CheckPurposeCode(aCtgyPurp, true, ctgyPurp)) return r;
  if (const int r = CheckText(aInitgPty, kMaxName, "Name des Einreichers", initgPty)) return r;
  if (const int r = CheckText(aAuftraggeber, kMaxName, "Name des Auftraggebers", ownName)) return r;
  try {
    OwnIban = iban;
    OwnBic = bic;
    CtgyPurp = ctgyPurp;
    MsgId = BankUtil::ConvertToSepaChars(aMsgId, false).substr(0, kMaxId);
    PmtInfId = BankUtil::ConvertToSepaChars(aPmtInfId, true).substr(0, kMaxId);
    InitgPtyName = initgPty;
    OwnName = ownName;
    BuildFrame(Pain001Version, "CstmrCdtTrfInitn");
    PmtInfList = std::make_unique<TPmtInfList>(TPmtInfHeader{PmtInfId, Instant ? "INST" : "", "",
                                                             CtgyPurp, OwnName, OwnIban, OwnBic, "",
                                                             OwnAddress, Current()});
  } catch (const std::bad_alloc&) {
    PmtInfList.reset();
    DataModule.reset();
    return Fail(29, "Zu wenig Speicher");
  }
  LastError.clear();
  return 0;
}

// The document with its root, initiation element and the group header's
// message id and creation time.
void TZelSepaObject::BuildFrame(const std::string& pain, const char* initiation) {
  DataModule = std::make_unique<TDataModuleSepa>(pain, initiation);
  CreationTime = DateTimeToIso(Clock::Now());
  Pending.clear();
  TxCount = 0;
  TxSum = 0;
}

// Write and Close of one kind need an open file of that kind.
std::int32_t TZelSepaObject::CheckCallOrder(const char* operation, bool debit) {
  const std::string kind = debit ? "Debit" : "Credit", other = debit ? "Credit" : "Debit";
  const std::string op = operation + kind;
  if (!DataModule) return Fail(29, "Vor " + op + " muss Open" + kind + " aufgerufen werden");
  if ((Database != nullptr) != debit)
    return Fail(117, op + " kann nicht nach Open" + other + " aufgerufen werden");
  return 0;
}

std::int32_t TZelSepaObject::WriteCredit(Currency Betrag, const std::string& Name,
                                         const std::string& Iban, const std::string& Bic,
                                         const std::string& Purp, const std::string& Ref,
                                         const std::string& Verwend) {
  if (const int r = CheckCallOrder("Write", false)) return r;
  if (Betrag == 0 || Name.empty() || Iban.empty()) return Fail(160, kEmptyField);
  Currency amount = 0;
  std::string iban, bic, purp, name, text, endToEnd;
  if (const int r = CheckAmount(Betrag, amount)) return r;
  if (const int r = CheckIban(Iban, iban)) return r;
  if (const int r = CheckBic(Bic, bicTrf, bic)) return r;
  if (const int r = CheckPurposeCode(Purp, false, purp)) return r;
  if (const int r = CheckText(Name, kMaxName, "Name", name)) return r;
  if (const int r = CheckText(Verwend, kMaxText, "Verwendungszweck", text)) return r;
  if (const int r = CheckEndToEnd(Ref, endToEnd)) return r;
  try {
    ActualDueDate = CreditDueDate;
    CheckManualDueDate();
    TPmtInf& block = PmtInfList->GetPmtInf("", ActualDueDate);
    TXmlText& x = block.Body();
    x.Begin("CdtTrfTxInf").Path("PmtId/EndToEndId", endToEnd);
    x.Begin("Amt").Leaf("InstdAmt", "Ccy", "EUR", BankUtil::SepaBetrag(amount)).End();
    if (!bic.empty()) WriteAgent(x, "CdtrAgt", bic, Current());
    WriteParty(x, "Cdtr", name, NextAddress, Current());
    x.Path("CdtrAcct/Id/IBAN", iban);
    if (!purp.empty()) x.Path("Purp/Cd", purp);
    if (!text.empty()) x.Path("RmtInf/Ustrd", text);
    x.End();
    block.AddBetrag(amount);
  } catch (const std::bad_alloc&) {
    return Fail(29, "Zu wenig Speicher");
  }
  NextAddress = {};
  Counted(amount);
  return 0;
}

void TZelSepaObject::Counted(Currency amount) {
  ++TxCount;
  TxSum += amount;
  LastError.clear();
}

std::int32_t TZelSepaObject::CloseCredit(const std::string& Filename) {
  if (const int r = CheckCallOrder("Close", false)) return r;
  return SaveAndClose(&Filename);
}

// Completes the group header, saves the document (none: discards it) and
// closes the file; the actual due date becomes the last day to hand it in.
std::int32_t TZelSepaObject::SaveAndClose(const std::string* filename) {
  int result = 0;
  std::string error;
  try {
    if (filename) {
      TXmlText header(2);
      header.Begin("GrpHdr")
          .Leaf("MsgId", MsgId)
          .Leaf("CreDtTm", CreationTime)
          .Leaf("NbOfTxs", std::to_string(TxCount))
          .Leaf("CtrlSum", BankUtil::SepaBetrag(TxSum))
          .Path("InitgPty/Nm", InitgPtyName)
          .End();
      const std::string groupHeader = header.Str();  // lives until the save
      DataModule->Append(groupHeader);
      PmtInfList->AppendTo(*DataModule);
      result = DataModule->Save(*filename, error);
      if (result == 0) result = RecordPending(error);
    }
  } catch (const std::bad_alloc&) {
    result = 29;
    error = "Zu wenig Speicher";
  }
  if (PmtInfList->Count() > 0) ActualDueDate = SubmissionDate();
  DataModule.reset();
  PmtInfList.reset();
  if (Database) Database->Close();
  Database.reset();
  Pending.clear();
  NextAddress = {};
  LastError = error;
  return result;
}

// ---------------------------------------------------------------------------
// Due dates

// The last bank day on which the whole file reaches the bank in time: each
// block's date less the lead time of its kind (first and one-off debits
// need the long one), never before the first day the bank can take it.
TDateTime TZelSepaObject::SubmissionDate() {
  const bool debit = Database != nullptr;
  TDateTime submit = 0;
  for (const auto& block : PmtInfList->Blocks()) {
    const std::string& seq = block->BlockSeqTp();
    const int back = !debit                           ? CreditBankOffset
                     : seq == "RCUR" || seq == "FNAL" ? ShortBankOffset
                                                      : LongBankOffset;
    const TDateTime day = GetMinDate(-back, block->BlockDate());
    if (submit == 0 || day < submit) submit = day;
  }
  return std::max(submit, GetMinDate(0, 0));
}

void TZelSepaObject::SetBankDays(std::int32_t aCredit, std::int32_t aShort, std::int32_t aLong) {
  CreditBankOffset = aCredit < 0 ? 0 : Bounded(aCredit);
  ShortBankOffset = Bounded(std::max(aShort, kMinShortOffset[DebitType]));
  LongBankOffset = Bounded(std::max(aLong, kMinLongOffset[DebitType]));
  RecalculateDueDates();
}

void TZelSepaObject::SetBankHour(std::int32_t Hour) {
  Calendar.SetBankHour(Hour);
  RecalculateDueDates();
}

void TZelSepaObject::RecalculateDueDates() {
  CreditDueDate = GetMinDate(CreditBankOffset, 0);
  ShortDueDate = GetMinDate(ShortBankOffset, 0);
  LongDueDate = GetMinDate(LongBankOffset, 0);
  ActualDueDate = CreditDueDate;
}

// A manual date replaces the computed one, but never lies before it: a
// payment cannot be executed before the bank has the file.
void TZelSepaObject::CheckManualDueDate() {
  const TDateTime earliest = ActualDueDate;
  if (ManualDueMode == 1) {
    ActualDueDate = ManualDueDate;
    ManualDueMode = 0;
  } else if (ManualDueMode == 2) {
    ActualDueDate = ManualDueDate;
  }
  if (ActualDueDate < earliest) ActualDueDate = earliest;
}

// ---------------------------------------------------------------------------
// Commands

std::int32_t TZelSepaObject::SepaCommand(const std::string& Command, std::int32_t Par1,
                                         std::int32_t Par2, std::int32_t Par3,
                                         const std::string& Par4, const std::string& Par5,
                                         const std::string& Par6) {
  const std::string command = TrimmedUpper(Command);
  if (command == "BICSCL") return SepaCommandBICSCL(TrimmedUpper(Par4), TrimmedUpper(Par5));
  if (command == "CALCDUEDATE") return SepaCommandCalcDueDate(MiniUtils::Trim(Par4), Par1, Par2);
  if (command == "SETDDTYPE") return SepaCommandSetDdType(Par4);
  if (command == "GETSEQTP") return SepaCommandGetSeqTp(Par1, Par2, Par3 != 0, Par4, Par5, Par6);
  if (command == "INSTANT") return SepaCommandInstant(Par1);
  if (command == "ADDRESS") return SepaCommandAddress(Par1, Par4);
  return Fail(1, T("Ungültiges SEPA-Kommando"));
}

std::int32_t TZelSepaObject::SepaCommandBICSCL(const std::string& Bic, const std::string& Scheme) {
  const std::string key = Bic.size() == 8 ? Bic + "XXX" : Bic;
  TSclRecord r;
  GetSclByIndex(GetSclIndexByBic(key), r);
  if (r.Bic.Len == 0) return Fail(13, "BIC " + Bic + " nicht im SCL-Directory gefunden");
  LastError = std::string(r.Name.View());
  std::uint8_t flag;
  if (Scheme == "SCT")
    flag = r.Sct;
  else if (Scheme == "SDD")
    flag = r.Sdd;
  else if (Scheme == "B2B")
    flag = r.B2b;
  else if (Scheme == "COR1")
    flag = r.Cor1;
  else
    return 87;
  return flag == 1 ? 0 : 21;
}

std::int32_t TZelSepaObject::SepaCommandCalcDueDate(const std::string& Date, std::int32_t Offset,
                                                    std::int32_t Mode) {
  const TDateTime date = BankUtil::ConvertSepaDateToDate(Date);
  const int year = date == 0 ? 0 : DecodeDate(date).year;
  if (year < 1900 || year > 9900) return Fail(160, "Datum ist nicht auswertbar");
  if (Offset < -kMaxBankDays || Offset > kMaxBankDays)
    return Fail(160, T("Höchstens 999 Bankarbeitstage vor oder zurück"));
  ManualDueDate = GetMinDate(Offset, date);
  ManualDueMode = Mode;
  ActualDueDate = ManualDueDate;
  LastError.clear();
  return 0;
}

std::int32_t TZelSepaObject::SepaCommandSetDdType(const std::string& Type) {
  if (DataModule)
    return Fail(117, T("Der Lastschrifttyp darf in offenen Dateien nicht geändert werden"));
  const std::string type = TrimmedUpper(Type);
  if (type == "CORE") {
    DebitType = debitCORE;
  } else if (type == "B2B") {
    DebitType = debitB2B;
  } else if (type == "COR1") {
    if (Current())
      return Fail(87,
                  T("COR1-Lastschriften gibt es seit November 2017 nicht mehr; CORE verwenden"));
    if (SepaVersion != 27)
      return Fail(87, T("COR1-Lastschriften sind erst ab SEPA-Version 2.7 möglich"));
    DebitType = debitCOR1;
  } else {
    return Fail(160, T("Ungültiger Lastschrifttyp"));
  }
  LastError.clear();
  return 0;
}

std::int32_t TZelSepaObject::SepaCommandInstant(std::int32_t On) {
  if (DataModule)
    return Fail(117, T("Die Zahlungsart darf in offenen Dateien nicht geändert werden"));
  if (On != 0 && !Current())
    return Fail(87, T("Echtzeitüberweisungen gibt es erst ab SEPA-Version 3.9"));
  Instant = On != 0;
  LastError.clear();
  return 0;
}

// Street, building number, post code, town and country, separated by tabs.
std::int32_t TZelSepaObject::SepaCommandAddress(std::int32_t Role, const std::string& Fields) {
  if (Role != 0 && Role != 1)
    return Fail(160, T("Anschrift: 0 für die eigene, 1 für die nächste Zahlung"));
  if (Role == 0 && DataModule)
    return Fail(117, T("Die eigene Anschrift darf in offenen Dateien nicht geändert werden"));
  if (!Current()) return Fail(87, T("Strukturierte Anschriften gibt es erst ab SEPA-Version 3.9"));
  std::vector<std::string> part = MiniUtils::Split(Fields, '\t');
  if (part.size() > 5) return Fail(160, T("Anschrift: höchstens fünf Felder"));
  part.resize(5);
  struct Field {
    const char* what;
    std::size_t max;
  };
  static const Field kFields[] = {
      {"Straße", 70}, {"Hausnummer", 16}, {"Postleitzahl", 16}, {"Ort", 35}, {"Land", 2}};
  TPostalAddress a;
  std::string* out[] = {&a.Street, &a.Building, &a.PostCode, &a.Town, &a.Country};
  for (int i = 0; i < 5; ++i)
    if (const int r = CheckText(part[i], kFields[i].max, kFields[i].what, *out[i])) return r;
  a.Country = MiniUtils::UpperAZ(a.Country);
  if (!a.Empty() && (a.Town.empty() || a.Country.empty()))
    return Fail(160, T("Anschrift: Ort und Land sind nötig"));
  if (!a.Country.empty() &&
      (a.Country.size() != 2 || !std::isupper(static_cast<unsigned char>(a.Country[0])) ||
       !std::isupper(static_cast<unsigned char>(a.Country[1]))))
    return Fail(160, T("Anschrift: Land als zwei Buchstaben (DE)"));
  (Role == 0 ? OwnAddress : NextAddress) = a;
  LastError.clear();
  return 0;
}

// ---------------------------------------------------------------------------
// Messages and state

std::string TZelSepaObject::GetErrorMessage(std::int32_t Code) {
  switch (Code) {
    case 0: return "OK";
    case 1: return T("Ungültige Funktion");
    case 2: return "Datei nicht gefunden";
    case 3: return "Verzeichnis nicht gefunden";
    case 4: return "Es darf immer nur eine Datei gleichzeitig geschrieben werden";
    case 5: return "Zugriff verweigert";
    case 6: return T("Datei nicht geöffnet");
    case 13: return T("Ungültige Daten");
    case 25: return "Dateipositionierungsfehler";
    case 29: return "Schreibfehler";
    case 30: return "Lesefehler";
    case 82: return "Datei oder Verzeichnis konnte nicht angelegt werden";
    case 110: return T("Datei kann nicht geöffnet werden");
    case 117: return T("Aufruf passt nicht zum gegenwärtigen Zustand");
    case 160: return T("Ungültige Parameter");
    case 183: return "Datei existiert bereits bzw. ist bereits offen";
    default: return "SEPA-Fehler Nr. " + std::to_string(Code);
  }
}

void TZelSepaObject::Freeze(TByteStream& Stream) {
  if (DataModule) SaveAndClose(nullptr);  // an open file is discarded
  TContext c(Stream);
  c.WriteBegin();
  c.Write("LastError", LastError);
  c.Write("DbDirectory", DbDirectory);
  c.Write("SepaVersion", static_cast<std::int32_t>(SepaVersion));
  c.Write("DebitType", static_cast<std::int32_t>(DebitType));
  c.Write("CreditBankOffset", static_cast<std::int32_t>(CreditBankOffset));
  c.Write("ShortBankOffset", static_cast<std::int32_t>(ShortBankOffset));
  c.Write("LongBankOffset", static_cast<std::int32_t>(LongBankOffset));
  c.Write("BankHour", static_cast<std::int32_t>(Calendar.BankHour()));
  c.WriteEnd();
}

std::unique_ptr<TZelBaseObject> TZelSepaObject::Thaw(TByteStream& Stream) {
  auto o = std::make_unique<TZelSepaObject>();
  TContext c(Stream);
  c.ReadAll();
  auto number = [&](const char* key) { return MiniUtils::GetInt(c.GetItem(key)); };
  o->LastError = c.GetItem("LastError");
  o->DbDirectory = c.GetItem("DbDirectory");
  o->SetSepaVersion(number("SepaVersion"));
  const int type = number("DebitType");
  o->DebitType = type >= debitCORE && type <= debitCOR1 ? static_cast<TDebitType>(type) : debitCORE;
  // Stored offsets are taken as they are, within the calendar's reach.
  o->CreditBankOffset = std::clamp(number("CreditBankOffset"), 0, kMaxBankDays);
  o->ShortBankOffset = std::clamp(number("ShortBankOffset"), 0, kMaxBankDays);
  o->LongBankOffset = std::clamp(number("LongBankOffset"), 0, kMaxBankDays);
  o->Calendar.SetBankHour(number("BankHour"));
  o->RecalculateDueDates();
  return o;
}

}  // namespace zel
