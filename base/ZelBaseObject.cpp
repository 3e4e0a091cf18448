#include "ZelBaseObject.h"

namespace zel {

EZelError::~EZelError() = default;
TZelBaseObject::~TZelBaseObject() = default;
TZelClass::~TZelClass() = default;

void TZelBaseObject::Abstract(const char* operation) const {
  throw EZelError("Abstrakte Operation " + std::string(operation) + " der Klasse " + ClassName());
}

void TZelBaseObject::Freeze(TByteStream&) {}
std::string TZelBaseObject::GetErrorMessage(std::int32_t) { Abstract("GetErrorMessage"); }
std::string TZelBaseObject::GetLastError() {
  return "Keine weiteren Informationen verf\xfc"
         "gbar.";
}

std::int32_t TZelBaseObject::GetRule(const std::string&) { Abstract("GetRule"); }
std::string TZelBaseObject::GetVersion() { Abstract("GetVersion"); }
TZelVersionRecord TZelBaseObject::GetVersionRecord() { Abstract("GetVersionRecord"); }
std::int32_t TZelBaseObject::TestBlzKto(const std::string&, const std::string&) {
  Abstract("TestBlzKto");
}
std::int32_t TZelBaseObject::TestCC(const std::string&) { Abstract("TestCC"); }
std::int32_t TZelBaseObject::TestIban(const std::string&) { Abstract("TestIban"); }
std::string TZelBaseObject::GetIban(const std::string&, const std::string&, bool) {
  Abstract("GetIban");
}
std::string TZelBaseObject::GetBic(const std::string&) { Abstract("GetBic"); }
std::string TZelBaseObject::GetBankName58(const std::string&) { Abstract("GetBankName58"); }
std::string TZelBaseObject::GetBankName20(const std::string&) { Abstract("GetBankName20"); }
std::string TZelBaseObject::GetBankName27(const std::string&) { Abstract("GetBankName27"); }
std::string TZelBaseObject::GetBankPlz(const std::string&) { Abstract("GetBankPlz"); }
std::string TZelBaseObject::GetBankOrt(const std::string&) { Abstract("GetBankOrt"); }
std::string TZelBaseObject::GetFirstBank() { Abstract("GetFirstBank"); }
std::string TZelBaseObject::GetNextBank() { Abstract("GetNextBank"); }
std::string TZelBaseObject::GetFirstMatch(const std::string&, bool) { Abstract("GetFirstMatch"); }
std::string TZelBaseObject::GetNextMatch() { Abstract("GetNextMatch"); }

std::int32_t TZelBaseObject::ReadMt940(std::int32_t, const std::string&, const std::string&,
                                       const std::string&, const std::string&, const std::string&,
                                       std::int32_t) {
  Abstract("ReadMt940");
}

std::int32_t TZelBaseObject::CreateFile(const std::string&, const std::string&, const std::string&,
                                        const std::string&, const std::string&, std::int32_t,
                                        std::int32_t, std::int32_t) {
  Abstract("CreateFile");
}
std::int32_t TZelBaseObject::WriteFile(const std::string&, const std::string&, const std::string&,
                                       const std::string&, const std::string&, std::int32_t,
                                       std::int32_t, Currency) {
  Abstract("WriteFile");
}
std::int32_t TZelBaseObject::CloseFile() { Abstract("CloseFile"); }
std::int32_t TZelBaseObject::CheckFile(const std::string&) { Abstract("CheckFile"); }

std::int32_t TZelBaseObject::SetSepaVersion(std::int32_t) { Abstract("SetSepaVersion"); }
void TZelBaseObject::SetBankDays(std::int32_t, std::int32_t, std::int32_t) {
  Abstract("SetBankDays");
}
void TZelBaseObject::SetBankHour(std::int32_t) { Abstract("SetBankHour"); }
std::string TZelBaseObject::GetShortDueDate() { Abstract("GetShortDueDate"); }
std::string TZelBaseObject::GetLongDueDate() { Abstract("GetLongDueDate"); }
std::string TZelBaseObject::GetActualDueDate() { Abstract("GetActualDueDate"); }
std::int32_t TZelBaseObject::OpenCredit(const std::string&, const std::string&, const std::string&,
                                        const std::string&, const std::string&, const std::string&,
                                        const std::string&) {
  Abstract("OpenCredit");
}
std::int32_t TZelBaseObject::WriteCredit(Currency, const std::string&, const std::string&,
                                         const std::string&, const std::string&, const std::string&,
                                         const std::string&) {
  Abstract("WriteCredit");
}
std::int32_t TZelBaseObject::CloseCredit(const std::string&) { Abstract("CloseCredit"); }
std::int32_t TZelBaseObject::OpenDebit(std::int32_t, const std::string&, const std::string&,
                                       const std::string&, const std::string&, const std::string&,
                                       const std::string&, const std::string&) {
  Abstract("OpenDebit");
}
std::int32_t TZelBaseObject::WriteDebit(std::int32_t, std::int32_t, Currency, const std::string&,
                                        const std::string&, const std::string&, const std::string&,
                                        const std::string&, const std::string&, const std::string&,
                                        const std::string&) {
  Abstract("WriteDebit");
}
std::int32_t TZelBaseObject::CloseDebit(const std::string&) { Abstract("CloseDebit"); }
std::int32_t TZelBaseObject::SetDbDirectory(const std::string&) { Abstract("SetDbDirectory"); }
std::string TZelBaseObject::GetDbDirectory() { Abstract("GetDbDirectory"); }
std::int32_t TZelBaseObject::TestDbDirectory() { Abstract("TestDbDirectory"); }
std::string TZelBaseObject::GetTempList() { Abstract("GetTempList"); }
std::int32_t TZelBaseObject::DeleteTemp(std::int32_t) { Abstract("DeleteTemp"); }
std::int32_t TZelBaseObject::MergeTemp(std::int32_t) { Abstract("MergeTemp"); }
std::int32_t TZelBaseObject::ExportToFile(std::int32_t, const std::string&) {
  Abstract("ExportToFile");
}
std::int32_t TZelBaseObject::ImportFromFile(std::int32_t, const std::string&) {
  Abstract("ImportFromFile");
}
std::int32_t TZelBaseObject::SepaCommand(const std::string&, std::int32_t, std::int32_t,
                                         std::int32_t, const std::string&, const std::string&,
                                         const std::string&) {
  Abstract("SepaCommand");
}

std::int32_t TZelBaseObject::Arbeitstage(std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
  Abstract("Arbeitstage");
}

void TZelBaseObject::SetProxy(const std::string&, std::int32_t) { Abstract("SetProxy"); }
void TZelBaseObject::SetTimeout(std::int32_t) { Abstract("SetTimeout"); }
std::int32_t TZelBaseObject::TestBic(const std::string&) { Abstract("TestBic"); }
std::int32_t TZelBaseObject::TestByMethod(const std::string&, const std::string&,
                                          const std::string&) {
  Abstract("TestByMethod");
}
std::int32_t TZelBaseObject::TestCreditorId(const std::string&) { Abstract("TestCreditorId"); }
std::string TZelBaseObject::GetSclValidFrom() { Abstract("GetSclValidFrom"); }

}  // namespace zel
