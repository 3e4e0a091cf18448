// The SEPA file object: writes credit-transfer (pain.001) and direct-debit
// (pain.008) files as ISO 20022 XML, one file at a time, with the due dates
// of a bank calendar, the SCL directory's verdict on every BIC and, for
// debits, the mandate history. Registered as "ZelSepaObject".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DataModuleSepa.h"
#include "DateCalc.h"
#include "PmtInf.h"
#include "SepaMiniDatabase.h"
#include "ZelBaseObject.h"

namespace zel {

class TPmtInfList;

enum TBicType : std::uint8_t { bicOwn, bicTrf, bicDd };
enum TDebitType : std::uint8_t { debitCORE, debitB2B, debitCOR1 };
enum TSequenceType : std::uint8_t { seqOOFF, seqFRST, seqRCUR, seqFNAL };

inline constexpr const char* kDebitTypeText[] = {"CORE", "B2B", "COR1"};
inline constexpr const char* kSequenceTypeText[] = {"OOFF", "FRST", "RCUR", "FNAL"};

class TZelSepaObject : public TZelBaseObject {
 public:
  static constexpr const char* kClassName = "ZelSepaObject";

  TZelSepaObject();
  ~TZelSepaObject() override;

  std::string ClassName() const override { return kClassName; }
  static std::unique_ptr<TZelBaseObject> Thaw(TByteStream& Stream);
  void Freeze(TByteStream& Stream) override;
  std::string GetLastError() override { return LastError; }
  std::string GetErrorMessage(std::int32_t Code) override;

  // 25, 26, 27 (2.5, 2.6, 2.7: the German formats of 2013) or 39 (3.9:
  // pain.001.001.09 and pain.008.001.08 as German banks take them today,
  // the default); a negative version selects B2B debits.
  // Any other value, or a call while a file is open, changes nothing.
  // Answers the version in effect.
  std::int32_t SetSepaVersion(std::int32_t SepaVersion) override;

  std::int32_t OpenCredit(const std::string& MsgId, const std::string& PmtInfId,
                          const std::string& InitgPty, const std::string& CtgyPurp,
                          const std::string& Auftraggeber, const std::string& Iban,
                          const std::string& Bic) override;
  std::int32_t WriteCredit(Currency Betrag, const std::string& Name, const std::string& Iban,
                           const std::string& Bic, const std::string& Purp, const std::string& Ref,
                           const std::string& Verwend) override;
  std::int32_t CloseCredit(const std::string& Filename) override;

  // Direct debits (ZelSepaDebit.cpp). Mandant 0 keeps no history; SeqTp -1
  // and -2 choose the sequence type from the history (-2: the last debit).
  std::int32_t OpenDebit(std::int32_t Mandant, const std::string& MsgId,
                         const std::string& InitgPty, const std::string& CtgyPurp,
                         const std::string& Auftraggeber, const std::string& Iban,
                         const std::string& Bic, const std::string& CreditorId) override;
  std::int32_t WriteDebit(std::int32_t Kunde, std::int32_t SeqTp, Currency Betrag,
                          const std::string& Name, const std::string& Iban, const std::string& Bic,
                          const std::string& Purp, const std::string& Ref,
                          const std::string& Verwend, const std::string& MandatRef,
                          const std::string& MandatDate) override;
  std::int32_t CloseDebit(const std::string& Filename) override;
  // The sequence type of a debit from the history (SeqType) and what changed.
  void SetSequenceType(const TSepaMiniDatabase* db, std::int32_t Kunde,
                       const std::string& MandatRef, const std::string& Iban,
                       const std::string& Bic, bool Final, TDetailRecord& Detail);

  // The mandate database's directory ($XDG_DATA_HOME/Brenk/Zelvaro/SEPA).
  static std::string GetDefaultDbDirectory();
  std::int32_t SetDbDirectory(const std::string& DbDirectory) override;
  std::string GetDbDirectory() override { return DbDirectory; }
  std::int32_t TestDbDirectory() override;
  std::string GetTempList() override;
  std::int32_t DeleteTemp(std::int32_t Mandant) override;
  std::int32_t MergeTemp(std::int32_t Mandant) override;
  std::int32_t ExportToFile(std::int32_t Mandant, const std::string& Filename) override;
  std::int32_t ImportFromFile(std::int32_t Mandant, const std::string& Filename) override;

  // Due dates: bank-day offsets of credit transfers and of short (RCUR,
  // FNAL) and long (OOFF, FRST) debits, and the bank's cut-off hour.
  void SetBankDays(std::int32_t CreditBankOffset, std::int32_t ShortBankOffset,
                   std::int32_t LongBankOffset) override;
  void SetBankHour(std::int32_t Hour) override;
  void RecalculateDueDates();
  std::string GetShortDueDate() override { return DateToIso(ShortDueDate); }
  std::string GetLongDueDate() override { return DateToIso(LongDueDate); }
  // The date of the next transaction; after a close the last bank day for
  // handing the file to the bank.
  std::string GetActualDueDate() override { return DateToIso(ActualDueDate); }

  // "BICSCL", "CALCDUEDATE", "GETSEQTP", "SETDDTYPE", and for 3.9 files
  // "INSTANT" (Par1 1: the next credit files are instant credit transfers,
  // 0: ordinary ones) and "ADDRESS" (Par1 0: the own postal address for the
  // next files, 1: the address of the next transaction's party; Par4 holds
  // street, building number, post code, town and country separated by tabs,
  // empty for none).
  std::int32_t SepaCommand(const std::string& Command, std::int32_t Par1, std::int32_t Par2,
                           std::int32_t Par3, const std::string& Par4, const std::string& Par5,
                           const std::string& Par6) override;
  // Reachability of a BIC for a scheme ("SCT", "SDD", "B2B", "COR1"): 0
  // reachable, 13 not in the directory, 21 not reachable, 87 unknown scheme.
  // LastError holds the bank name of the directory (or the reason).
  std::int32_t SepaCommandBICSCL(const std::string& Bic, const std::string& Scheme);
  // A manual due date: the first bank day on or after the date, moved by
  // Offset bank days; Mode 1 applies it to the next transaction, 2 to all.
  std::int32_t SepaCommandCalcDueDate(const std::string& Date, std::int32_t Offset,
                                      std::int32_t Mode);
  std::int32_t SepaCommandSetDdType(const std::string& Type);
  std::int32_t SepaCommandInstant(std::int32_t On);
  std::int32_t SepaCommandAddress(std::int32_t Role, const std::string& Fields);
  std::int32_t SepaCommandGetSeqTp(std::int32_t Mandant, std::int32_t Kunde, bool Final,
                                   const std::string& MandatRef, const std::string& Iban,
                                   const std::string& Bic);

  // Whether the directory lets the BIC take part in the role's scheme.
  bool IsBicSclOk(const std::string& Bic, TBicType Type);

 private:
  std::int32_t Fail(std::int32_t code, std::string message);
  std::int32_t CheckIban(const std::string& in, std::string& out);
  std::int32_t CheckBic(const std::string& in, TBicType type, std::string& out);
  std::int32_t CheckPurposeCode(const std::string& in, bool category, std::string& out);
  std::int32_t CheckAmount(Currency in, Currency& cents);
  // A name or text in the file's character set, refused beyond its length.
  std::int32_t CheckText(const std::string& in, std::size_t max, const char* what,
                         std::string& out);
  bool Current() const { return SepaVersion == 39; }
  // The end-to-end id of a reference ("NOTPROVIDED" for none).
  std::int32_t CheckEndToEnd(const std::string& in, std::string& out);
  // The debits of a saved debit file into the history's temporary file.
  std::int32_t RecordPending(std::string& error);
  std::int32_t CheckCallOrder(const char* operation, bool debit);
  std::int32_t CheckDebitArguments(std::int32_t Kunde, std::int32_t SeqTp, Currency Betrag,
                                   const std::string& Name, const std::string& Iban,
                                   const std::string& MandatRef, const std::string& MandatDate);
  void AddDebitTx(TXmlText& x, const std::string& endToEnd, Currency amount,
                  const std::string& mandatRef, const std::string& mandatDate,
                  const TDetailRecord& detail, const std::string& bic, const std::string& name,
                  const std::string& iban, const std::string& purp, const std::string& text);
  // Runs an operation on a fresh database of the directory and takes its message.
  template <class Op>
  std::int32_t WithDatabase(Op op);
  void CheckManualDueDate();
  TDateTime SubmissionDate();
  TDateTime GetMinDate(int count, TDateTime date) { return Calendar.GetMinDate(count, date); }
  void BuildFrame(const std::string& pain, const char* initiation);
  // A transaction in the file: the file's totals, no message.
  void Counted(Currency amount);
  std::int32_t SaveAndClose(const std::string* filename);

  std::unique_ptr<TDataModuleSepa> DataModule;
  std::unique_ptr<TSepaMiniDatabase> Database;  // set while a debit file is open
  std::string LastError;
  std::string DbDirectory;
  int SepaVersion = 39;
  std::string Pain001Version = "001.001.09";
  std::string Pain008Version = "008.001.08";
  bool Instant = false;  // credit files as instant credit transfers
  TPostalAddress OwnAddress, NextAddress;
  TDebitType DebitType = debitCORE;
  int CreditBankOffset = 0;
  int ShortBankOffset = 2;
  int LongBankOffset = 5;
  TBankCalendar Calendar;  // the cut-off hour and the bank holidays
  TDateTime ShortDueDate = 0, LongDueDate = 0, CreditDueDate = 0;
  TDateTime ActualDueDate = 0, ManualDueDate = 0;
  int ManualDueMode = 0;
  std::string CreationTime;
  std::unique_ptr<TPmtInfList> PmtInfList;
  std::string MsgId, InitgPtyName, CtgyPurp, PmtInfId, CreditorId, OwnName, OwnIban, OwnBic;
  int TxCount = 0;
  Currency TxSum = 0;
  int Mandant = 0;
  TSequenceType SeqType = seqOOFF;
  // Debits for the history, written to its temporary file only once the
  // debit file is saved.
  std::deque<TSepaRecord> Pending;
};

}  // namespace zel
