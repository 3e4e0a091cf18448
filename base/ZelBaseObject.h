// The contract between the program and the domain package: every domain
// class derives from TZelBaseObject and overrides the slots of its own
// operations; the other slots raise "abstract operation". A TZelClass per
// domain class is its virtual constructor and class-level Thaw.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "ByteStream.h"
#include "ShortString.h"
#include "ZelExport.h"

namespace zel {

using Currency = std::int64_t;  // 1/10000 euro
using TDateTime = double;       // days since 1899-12-30

// Interface version of the data modules this base package loads. A data
// module exports it as the object "ZelDataModuleInterface".
constexpr std::uint32_t kZelInterfaceVersion = 3;

// A failure raised through the contract (abstract operation, no data file).
class ZELBASE_API EZelError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  ~EZelError() override;
};

#pragma pack(push, 1)
// The version of a data file and its bank data, 304 bytes.
struct TZelVersionRecord {
  TShortString<8> Tag;           // "BrenkKey"
  TShortString<150> Reserved;    // empty
  TShortString<16> PackageName;  // "ZelObjects"
  TShortString<48> Description;  // the GetVersion text
  std::int32_t Year;
  std::int32_t Quarter;
  std::int32_t Revision;
  TDateTime ValidFrom;
  TDateTime ValidTo;
  std::uint8_t Flags[2];  // bit 0 of Flags[0]: the data carries IBAN rules
  std::uint8_t Zero[48];
};
#pragma pack(pop)
static_assert(sizeof(TZelVersionRecord) == 304);

class ZELBASE_API TZelBaseObject {
 public:
  TZelBaseObject() = default;
  TZelBaseObject(const TZelBaseObject&) = delete;
  TZelBaseObject& operator=(const TZelBaseObject&) = delete;
  virtual ~TZelBaseObject();

  // The registered name of the object's class.
  virtual std::string ClassName() const = 0;

  // Slots 1 to 4: state and messages (slot 0 Create and slot 2 Thaw are the
  // class object's). The base Freeze writes nothing; the base GetLastError
  // has no details to give.
  virtual void Freeze(TByteStream& Stream);
  virtual std::string GetErrorMessage(std::int32_t Code);
  virtual std::string GetLastError();

  // Slots 5 to 21: account check.
  virtual std::int32_t GetRule(const std::string& Blz);
  virtual std::string GetVersion();
  virtual TZelVersionRecord GetVersionRecord();
  virtual std::int32_t TestBlzKto(const std::string& Blz, const std::string& Kto);
  virtual std::int32_t TestCC(const std::string& CCNumber);
  virtual std::int32_t TestIban(const std::string& Iban);
  virtual std::string GetIban(const std::string& Blz, const std::string& Kto, bool SpaceFlag);
  virtual std::string GetBic(const std::string& Blz);
  virtual std::string GetBankName58(const std::string& Blz);
  virtual std::string GetBankName20(const std::string& Blz);
  virtual std::string GetBankName27(const std::string& Blz);
  virtual std::string GetBankPlz(const std::string& Blz);
  virtual std::string GetBankOrt(const std::string& Blz);
  virtual std::string GetFirstBank();
  virtual std::string GetNextBank();
  virtual std::string GetFirstMatch(const std::string& SearchString, bool FragmentsFlag);
  virtual std::string GetNextMatch();

  // Slot 22: statements.
  virtual std::int32_t ReadMt940(std::int32_t DatabaseType, const std::string& DatabaseName,
                                 const std::string& Username, const std::string& Password,
                                 const std::string& Filename, const std::string& Translation,
                                 std::int32_t UserId);

  // Slots 23 to 26: DTAUS.
  virtual std::int32_t CreateFile(const std::string& Filename, const std::string& Blz,
                                  const std::string& Kto, const std::string& Name,
                                  const std::string& Number, std::int32_t Type,
                                  std::int32_t CheckFlag, std::int32_t DaysAhead);
  virtual std::int32_t WriteFile(const std::string& Blz, const std::string& Kto,
                                 const std::string& Name, const std::string& Verwend,
                                 const std::string& Intern, std::int32_t TS, std::int32_t TSE,
                                 Currency Betrag);
  virtual std::int32_t CloseFile();
  virtual std::int32_t CheckFile(const std::string& Filename);

  // Slots 27 to 47: SEPA.
  virtual std::int32_t SetSepaVersion(std::int32_t SepaVersion);
  virtual void SetBankDays(std::int32_t CreditBankOffset, std::int32_t ShortBankOffset,
                           std::int32_t LongBankOffset);
  virtual void SetBankHour(std::int32_t Hour);
  virtual std::string GetShortDueDate();
  virtual std::string GetLongDueDate();
  virtual std::string GetActualDueDate();
  virtual std::int32_t OpenCredit(const std::string& MsgId, const std::string& PmtInfId,
                                  const std::string& InitgPty, const std::string& CtgyPurp,
                                  const std::string& Auftraggeber, const std::string& Iban,
                                  const std::string& Bic);
  virtual std::int32_t WriteCredit(Currency Betrag, const std::string& Name,
                                   const std::string& Iban, const std::string& Bic,
                                   const std::string& Purp, const std::string& Ref,
                                   const std::string& Verwend);
  virtual std::int32_t CloseCredit(const std::string& Filename);
  virtual std::int32_t OpenDebit(std::int32_t Mandant, const std::string& MsgId,
                                 const std::string& InitgPty, const std::string& CtgyPurp,
                                 const std::string& Auftraggeber, const std::string& Iban,
                                 const std::string& Bic, const std::string& CreditorId);
  virtual std::int32_t WriteDebit(std::int32_t Kunde, std::int32_t SeqTp, Currency Betrag,
                                  const std::string& Name, const std::string& Iban,
                                  const std::string& Bic, const std::string& Purp,
                                  const std::string& Ref, const std::string& Verwend,
                                  const std::string& MandatRef, const std::string& MandatDate);
  virtual std::int32_t CloseDebit(const std::string& Filename);
  virtual std::int32_t SetDbDirectory(const std::string& DbDirectory);
  virtual std::string GetDbDirectory();
  virtual std::int32_t TestDbDirectory();
  virtual std::string GetTempList();
  virtual std::int32_t DeleteTemp(std::int32_t Mandant);
  virtual std::int32_t MergeTemp(std::int32_t Mandant);
  virtual std::int32_t ExportToFile(std::int32_t Mandant, const std::string& Filename);
  virtual std::int32_t ImportFromFile(std::int32_t Mandant, const std::string& Filename);
  virtual std::int32_t SepaCommand(const std::string& Command, std::int32_t Par1, std::int32_t Par2,
                                   std::int32_t Par3, const std::string& Par4,
                                   const std::string& Par5, const std::string& Par6);

  // Slot 48: working days.
  virtual std::int32_t Arbeitstage(std::int32_t Year, std::int32_t Month,
                                   std::int32_t SaturdaysFlag, std::int32_t FeiertageSet);

  // Slots 49 to 51: online BIC test.
  virtual void SetProxy(const std::string& ProxyHost, std::int32_t ProxyPort);
  virtual void SetTimeout(std::int32_t Timeout);
  virtual std::int32_t TestBic(const std::string& Bic);

  // Beyond the slots: the account against one check method alone
  // ("52"), with the bank code for the methods that depend on it (empty
  // for none). A bank code input never reaches this.
  virtual std::int32_t TestByMethod(const std::string& Method, const std::string& Blz,
                                    const std::string& Kto);
  // Beyond the slots: the form and check digits of a SEPA creditor
  // identifier (0, 12 or 13, like TestIban).
  virtual std::int32_t TestCreditorId(const std::string& Id);
  // Beyond the slots: the date ("DD.MM.YYYY") from which the SCL directory
  // of the data file is valid, empty when its source did not say.
  virtual std::string GetSclValidFrom();

 protected:
  // Raises the "abstract operation" error for an operation the class lacks.
  [[noreturn]] void Abstract(const char* operation) const;
};

// The class object of a domain class: its name, virtual constructor (slot 0)
// and class-level Thaw (slot 2).
class ZELBASE_API TZelClass {
 public:
  virtual ~TZelClass();
  virtual std::unique_ptr<TZelBaseObject> Create() const = 0;
  // A new instance with the state that Freeze wrote into Stream.
  virtual std::unique_ptr<TZelBaseObject> Thaw(TByteStream& Stream) const = 0;
};

}  // namespace zel
