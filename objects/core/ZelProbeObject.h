// The account check object and the free functions of its unit: the common
// entry of all check-digit methods and the sub-account correction used when
// building an IBAN.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ZelBaseObject.h"

namespace zel {

// Checks Account against method Rule (0..141) for bank code Blz: 0..10
// accepted, above 10 rejected (status codes of ErrorCodes.h).
int TestByRule(std::string_view Blz, std::string_view Account, int Rule);

// The account text to use for the IBAN of a bank with method 13, 63 or 76:
// Account itself, Account without its missing two-digit sub-account, or an
// error text starting with "*". Account is expected with ten digits.
std::string CorrectSub(std::string_view Blz, std::string_view Account);

// Bank checks, bank data, enumeration and name search. Registered as
// "ZelProbeObject". Texts are code page 1252.
class TZelProbeObject : public TZelBaseObject {
 public:
  static constexpr const char* kClassName = "ZelProbeObject";

  std::string ClassName() const override { return kClassName; }
  void Freeze(TByteStream& Stream) override;
  static std::unique_ptr<TZelBaseObject> Thaw(TByteStream& Stream);
  std::string GetErrorMessage(std::int32_t Code) override;

  std::int32_t GetRule(const std::string& Blz) override;
  std::string GetVersion() override;
  TZelVersionRecord GetVersionRecord() override;
  std::int32_t TestBlzKto(const std::string& Blz, const std::string& Kto) override;
  std::int32_t TestByMethod(const std::string& Method, const std::string& Blz,
                            const std::string& Kto) override;
  std::int32_t TestCC(const std::string& CCNumber) override;
  std::int32_t TestIban(const std::string& Iban) override;
  // After TestIban answered 12: which rule of the IBAN's form failed.
  std::string GetLastError() override {
    return LastError.empty() ? TZelBaseObject::GetLastError() : LastError;
  }
  std::int32_t TestCreditorId(const std::string& Id) override;
  std::string GetSclValidFrom() override;
  std::string GetIban(const std::string& Blz, const std::string& Kto, bool SpaceFlag) override;
  std::string GetBic(const std::string& Blz) override;
  std::string GetBankName58(const std::string& Blz) override;
  std::string GetBankName20(const std::string& Blz) override;
  std::string GetBankName27(const std::string& Blz) override;
  std::string GetBankPlz(const std::string& Blz) override;
  std::string GetBankOrt(const std::string& Blz) override;
  std::string GetFirstBank() override;
  std::string GetNextBank() override;
  std::string GetFirstMatch(const std::string& SearchString, bool FragmentsFlag) override;
  std::string GetNextMatch() override;

 private:
  std::int32_t CurrentBankNumber = 0;
  std::int32_t CurrentMatchNumber = -1;
  std::vector<std::string> MatchList;
  std::string LastError;
};

}  // namespace zel
