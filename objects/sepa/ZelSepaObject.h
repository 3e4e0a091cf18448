// The SEPA file object. This release brings its command interface for the
// SCL directory ("BICSCL"); the file operations follow with the SEPA files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ZelBaseObject.h"

namespace zel {

class TZelSepaObject : public TZelBaseObject {
 public:
  static constexpr const char* kClassName = "ZelSepaObject";

  std::string ClassName() const override { return kClassName; }
  static std::unique_ptr<TZelBaseObject> Thaw(TByteStream& Stream);
  std::string GetLastError() override { return LastError; }

  std::int32_t SepaCommand(const std::string& Command, std::int32_t Par1, std::int32_t Par2,
                           std::int32_t Par3, const std::string& Par4, const std::string& Par5,
                           const std::string& Par6) override;

  // Reachability of a BIC for a scheme ("SCT", "SDD", "B2B", "COR1"): 0
  // reachable, 13 not in the directory, 21 not reachable, 87 unknown scheme.
  // LastError holds the bank name of the directory (or the reason).
  std::int32_t SepaCommandBICSCL(const std::string& Bic, const std::string& Scheme);

 private:
  std::string LastError;
};

}  // namespace zel
