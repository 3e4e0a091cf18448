// Proxies: the program's handles on domain objects. A proxy is built with a
// registered class name, owns one domain object and forwards each operation
// of its class unchanged. When the data file is replaced, the package object
// carries the object over into the new module's class.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

#include "ZelBaseObject.h"
#include "ZelExport.h"

namespace zel {

// The text of status -999, for proxies without an object.
ZELBASE_API std::string NoDataFileText();

class ZELBASE_API TProxyBaseObject {
 public:
  virtual ~TProxyBaseObject();
  TProxyBaseObject(const TProxyBaseObject&) = delete;
  TProxyBaseObject& operator=(const TProxyBaseObject&) = delete;

  const std::string& ClassName() const { return fName; }
  bool HasObject() const { return fObject != nullptr; }

  // Without an object (its data file is gone) the texts still answer: the
  // text of -999 must stay reachable.
  std::string GetErrorMessage(std::int32_t Code) {
    return fObject ? Forward(&TZelBaseObject::GetErrorMessage, Code) : NoDataFileText();
  }
  std::string GetLastError() {
    return fObject ? Forward(&TZelBaseObject::GetLastError) : NoDataFileText();
  }

 protected:
  TProxyBaseObject(std::string name, std::unique_ptr<TZelBaseObject> object);

  // Builds a proxy of class P for the registered name, or nothing.
  template <class P>
  static std::unique_ptr<P> Build(const std::string& name) {
    std::unique_ptr<TZelBaseObject> object = CreateObject(name);
    if (!object) return nullptr;
    return std::unique_ptr<P>(new P(name, std::move(object)));
  }

  // Calls the operation on the object. Without an object (no data file
  // could be loaded) integer operations answer -999, others raise.
  template <typename R, typename... P, typename... A>
  R Forward(R (TZelBaseObject::*op)(P...), A&&... args) {
    if (!fObject) {
      if constexpr (std::is_same_v<R, std::int32_t>)
        return -999;
      else
        throw EZelError(NoDataFileText());
    }
    return (fObject.get()->*op)(std::forward<A>(args)...);
  }

 private:
  friend class TZelPackageObject;
  static std::unique_ptr<TZelBaseObject> CreateObject(const std::string& name);

  std::string fName;
  std::unique_ptr<TZelBaseObject> fObject;
  // The state of an object whose data module is gone, kept for the next one.
  TByteStream fPendingState;
};

#define ZEL_PROXY_CLASS(NAME)                                                                \
 public:                                                                                     \
  static std::unique_ptr<NAME> Create(const std::string& Name) { return Build<NAME>(Name); } \
                                                                                             \
 private:                                                                                    \
  friend class TProxyBaseObject;                                                             \
  NAME(std::string name, std::unique_ptr<TZelBaseObject> object)                             \
      : TProxyBaseObject(std::move(name), std::move(object)) {}                              \
                                                                                             \
 public:

class ZELBASE_API TProxyZelProbeObject : public TProxyBaseObject {
  ZEL_PROXY_CLASS(TProxyZelProbeObject)
  std::int32_t GetRule(const std::string& Blz) { return Forward(&TZelBaseObject::GetRule, Blz); }
  std::string GetVersion() { return Forward(&TZelBaseObject::GetVersion); }
  TZelVersionRecord GetVersionRecord() { return Forward(&TZelBaseObject::GetVersionRecord); }
  std::int32_t TestBlzKto(const std::string& Blz, const std::string& Kto) {
    return Forward(&TZelBaseObject::TestBlzKto, Blz, Kto);
  }
  std::int32_t TestByMethod(const std::string& Method, const std::string& Blz,
                            const std::string& Kto) {
    return Forward(&TZelBaseObject::TestByMethod, Method, Blz, Kto);
  }
  std::string GetSclValidFrom() { return Forward(&TZelBaseObject::GetSclValidFrom); }
  std::int32_t TestCreditorId(const std::string& Id) {
    return Forward(&TZelBaseObject::TestCreditorId, Id);
  }
  std::int32_t TestCC(const std::string& CC) { return Forward(&TZelBaseObject::TestCC, CC); }
  std::int32_t TestIban(const std::string& Iban) {
    return Forward(&TZelBaseObject::TestIban, Iban);
  }
  std::string GetIban(const std::string& Blz, const std::string& Kto, bool SpaceFlag) {
    return Forward(&TZelBaseObject::GetIban, Blz, Kto, SpaceFlag);
  }
  std::string GetBic(const std::string& Blz) { return Forward(&TZelBaseObject::GetBic, Blz); }
  std::string GetBankName58(const std::string& Blz) {
    return Forward(&TZelBaseObject::GetBankName58, Blz);
  }
  std::string GetBankName20(const std::string& Blz) {
    return Forward(&TZelBaseObject::GetBankName20, Blz);
  }
  std::string GetBankName27(const std::string& Blz) {
    return Forward(&TZelBaseObject::GetBankName27, Blz);
  }
  std::string GetBankPlz(const std::string& Blz) {
    return Forward(&TZelBaseObject::GetBankPlz, Blz);
  }
  std::string GetBankOrt(const std::string& Blz) {
    return Forward(&TZelBaseObject::GetBankOrt, Blz);
  }
  std::string GetFirstBank() { return Forward(&TZelBaseObject::GetFirstBank); }
  std::string GetNextBank() { return Forward(&TZelBaseObject::GetNextBank); }
  std::string GetFirstMatch(const std::string& Text, bool Fragments) {
    return Forward(&TZelBaseObject::GetFirstMatch, Text, Fragments);
  }
  std::string GetNextMatch() { return Forward(&TZelBaseObject::GetNextMatch); }
  // "~"-separated fields of the version record: 1 package name, 2 year of
  // the bank data, 3 its quarter, 4 revision, 5 description, 6 and 7 the
  // first and last valid day (DD.MM.YYYY).
  std::string GetVersionExtended();
};

class ZELBASE_API TProxyZelReadObject : public TProxyBaseObject {
  ZEL_PROXY_CLASS(TProxyZelReadObject)
  std::int32_t ReadMt940(std::int32_t DatabaseType, const std::string& DatabaseName,
                         const std::string& Username, const std::string& Password,
                         const std::string& Filename, const std::string& Translation,
                         std::int32_t UserId) {
    return Forward(&TZelBaseObject::ReadMt940, DatabaseType, DatabaseName, Username, Password,
                   Filename, Translation, UserId);
  }
};

class ZELBASE_API TProxyZelDtausObject : public TProxyBaseObject {
  ZEL_PROXY_CLASS(TProxyZelDtausObject)
  std::int32_t CreateFile(const std::string& Filename, const std::string& Blz,
                          const std::string& Kto, const std::string& Name,
                          const std::string& Number, std::int32_t Type, std::int32_t CheckFlag,
                          std::int32_t DaysAhead) {
    return Forward(&TZelBaseObject::CreateFile, Filename, Blz, Kto, Name, Number, Type, CheckFlag,
                   DaysAhead);
  }
  std::int32_t WriteFile(const std::string& Blz, const std::string& Kto, const std::string& Name,
                         const std::string& Verwend, const std::string& Intern, std::int32_t TS,
                         std::int32_t TSE, Currency Betrag) {
    return Forward(&TZelBaseObject::WriteFile, Blz, Kto, Name, Verwend, Intern, TS, TSE, Betrag);
  }
  std::int32_t CloseFile() { return Forward(&TZelBaseObject::CloseFile); }
  std::int32_t CheckFile(const std::string& Filename) {
    return Forward(&TZelBaseObject::CheckFile, Filename);
  }
};

class ZELBASE_API TProxyZelArbeitObject : public TProxyBaseObject {
  ZEL_PROXY_CLASS(TProxyZelArbeitObject)
  std::int32_t Arbeitstage(std::int32_t Year, std::int32_t Month, std::int32_t SaturdaysFlag,
                           std::int32_t FeiertageSet) {
    return Forward(&TZelBaseObject::Arbeitstage, Year, Month, SaturdaysFlag, FeiertageSet);
  }
};

class ZELBASE_API TProxyZelSwiftObject : public TProxyBaseObject {
  ZEL_PROXY_CLASS(TProxyZelSwiftObject)
  void SetProxy(const std::string& Host, std::int32_t Port) {
    Forward(&TZelBaseObject::SetProxy, Host, Port);
  }
  void SetTimeout(std::int32_t Timeout) { Forward(&TZelBaseObject::SetTimeout, Timeout); }
  std::int32_t TestBic(const std::string& Bic) { return Forward(&TZelBaseObject::TestBic, Bic); }
};

class ZELBASE_API TProxyZelSepaObject : public TProxyBaseObject {
  ZEL_PROXY_CLASS(TProxyZelSepaObject)
  std::int32_t SetSepaVersion(std::int32_t V) {
    return Forward(&TZelBaseObject::SetSepaVersion, V);
  }
  void SetBankDays(std::int32_t Credit, std::int32_t Short, std::int32_t Long) {
    Forward(&TZelBaseObject::SetBankDays, Credit, Short, Long);
  }
  void SetBankHour(std::int32_t Hour) { Forward(&TZelBaseObject::SetBankHour, Hour); }
  std::string GetShortDueDate() { return Forward(&TZelBaseObject::GetShortDueDate); }
  std::string GetLongDueDate() { return Forward(&TZelBaseObject::GetLongDueDate); }
  std::string GetActualDueDate() { return Forward(&TZelBaseObject::GetActualDueDate); }
  std::int32_t OpenCredit(const std::string& MsgId, const std::string& PmtInfId,
                          const std::string& InitgPty, const std::string& CtgyPurp,
                          const std::string& Auftraggeber, const std::string& Iban,
                          const std::string& Bic) {
    return Forward(&TZelBaseObject::OpenCredit, MsgId, PmtInfId, InitgPty, CtgyPurp, Auftraggeber,
                   Iban, Bic);
  }
  std::int32_t WriteCredit(Currency Betrag, const std::string& Name, const std::string& Iban,
                           const std::string& Bic, const std::string& Purp, const std::string& Ref,
                           const std::string& Verwend) {
    return Forward(&TZelBaseObject::WriteCredit, Betrag, Name, Iban, Bic, Purp, Ref, Verwend);
  }
  std::int32_t CloseCredit(const std::string& Filename) {
    return Forward(&TZelBaseObject::CloseCredit, Filename);
  }
  std::int32_t OpenDebit(std::int32_t Mandant, const std::string& MsgId,
                         const std::string& InitgPty, const std::string& CtgyPurp,
                         const std::string& Auftraggeber, const std::string& Iban,
                         const std::string& Bic, const std::string& CreditorId) {
    return Forward(&TZelBaseObject::OpenDebit, Mandant, MsgId, InitgPty, CtgyPurp, Auftraggeber,
                   Iban, Bic, CreditorId);
  }
  std::int32_t WriteDebit(std::int32_t Kunde, std::int32_t SeqTp, Currency Betrag,
                          const std::string& Name, const std::string& Iban, const std::string& Bic,
                          const std::string& Purp, const std::string& Ref,
                          const std::string& Verwend, const std::string& MandatRef,
                          const std::string& MandatDate) {
    return Forward(&TZelBaseObject::WriteDebit, Kunde, SeqTp, Betrag, Name, Iban, Bic, Purp, Ref,
                   Verwend, MandatRef, MandatDate);
  }
  std::int32_t CloseDebit(const std::string& Filename) {
    return Forward(&TZelBaseObject::CloseDebit, Filename);
  }
  std::int32_t SetDbDirectory(const std::string& Dir) {
    return Forward(&TZelBaseObject::SetDbDirectory, Dir);
  }
  std::string GetDbDirectory() { return Forward(&TZelBaseObject::GetDbDirectory); }
  std::int32_t TestDbDirectory() { return Forward(&TZelBaseObject::TestDbDirectory); }
  std::string GetTempList() { return Forward(&TZelBaseObject::GetTempList); }
  std::int32_t DeleteTemp(std::int32_t Mandant) {
    return Forward(&TZelBaseObject::DeleteTemp, Mandant);
  }
  std::int32_t MergeTemp(std::int32_t Mandant) {
    return Forward(&TZelBaseObject::MergeTemp, Mandant);
  }
  std::int32_t ExportToFile(std::int32_t Mandant, const std::string& Filename) {
    return Forward(&TZelBaseObject::ExportToFile, Mandant, Filename);
  }
  std::int32_t ImportFromFile(std::int32_t Mandant, const std::string& Filename) {
    return Forward(&TZelBaseObject::ImportFromFile, Mandant, Filename);
  }
  std::int32_t SepaCommand(const std::string& Command, std::int32_t Par1, std::int32_t Par2,
                           std::int32_t Par3, const std::string& Par4, const std::string& Par5,
                           const std::string& Par6) {
    return Forward(&TZelBaseObject::SepaCommand, Command, Par1, Par2, Par3, Par4, Par5, Par6);
  }
};

#undef ZEL_PROXY_CLASS

}  // namespace zel
