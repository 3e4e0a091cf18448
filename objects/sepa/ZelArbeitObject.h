// Bank working days of a month, a quarter or a year, for a selectable set of
// regional holidays. Registered as "ZelArbeitObject".
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ZelBaseObject.h"

namespace zel {

class TZelArbeitObject : public TZelBaseObject {
 public:
  static constexpr const char* kClassName = "ZelArbeitObject";

  std::string ClassName() const override { return kClassName; }
  static std::unique_ptr<TZelBaseObject> Thaw(TByteStream& Stream);

  // Month code: 0 whole year, 1..12 a month, 41..44 a quarter, 101..112 a
  // month counted from today; other codes give -1. Saturdays count when
  // SaturdaysFlag is not 0; FeiertageSet selects the optional holidays.
  std::int32_t Arbeitstage(std::int32_t Year, std::int32_t Month, std::int32_t SaturdaysFlag,
                           std::int32_t FeiertageSet) override;
};

}  // namespace zel
