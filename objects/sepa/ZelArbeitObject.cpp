#include "ZelArbeitObject.h"

#include <algorithm>
#include <cmath>

#include "DateCalc.h"
#include "ZelRegistration.h"

namespace zel {
namespace {

const TZelRegistrar<TZelArbeitObject> kRegistration(TZelArbeitObject::kClassName);

int DaysInMonth(int year, int month) {
  return static_cast<int>(month == 12
                              ? EncodeDate(year + 1, 1, 1) - EncodeDate(year, 12, 1)
                              : EncodeDate(year, month + 1, 1) - EncodeDate(year, month, 1));
}

}  // namespace

std::unique_ptr<TZelBaseObject> TZelArbeitObject::Thaw(TByteStream&) {
  return std::make_unique<TZelArbeitObject>();
}

std::int32_t TZelArbeitObject::Arbeitstage(std::int32_t Year, std::int32_t Month,
                                           std::int32_t SaturdaysFlag, std::int32_t FeiertageSet) {
  int first, last;
  bool fromToday = false;
  if (Month == 0)
    first = 1, last = 12;
  else if (Month >= 1 && Month <= 12)
    first = last = Month;
  else if (Month >= 41 && Month <= 44)
    first = 3 * (Month - 41) + 1, last = first + 2;
  else if (Month >= 101 && Month <= 112)
    first = last = Month - 100, fromToday = true;
  else
    return -1;
  if (Year < 1 || Year > 9999) return -1;  // no calendar outside these years

  const TDateArray holidays =
      GetHolidays(Year, static_cast<std::uint32_t>(FeiertageSet) & Holiday::All);
  const TDateTime now = Clock::Now();
  const TCivilDate today = DecodeDate(now);
  int count = 0;
  for (int month = first; month <= last; ++month) {
    int firstDay = 1;
    if (fromToday && today.year == Year && today.month == month)
      firstDay = today.day + ((now - std::floor(now)) * 24.0 >= 12.0 ? 1 : 0);
    for (int day = firstDay; day <= DaysInMonth(Year, month); ++day) {
      const TDateTime d = EncodeDate(Year, month, day);
      const int dow = DayOfWeek(d);
      if (dow == 7 || (dow == 6 && SaturdaysFlag == 0)) continue;
      if (std::find(holidays.begin(), holidays.end(), d) != holidays.end()) continue;
      ++count;
    }
  }
  return count;
}

}  // namespace zel
