#include "DateCalc.h"

#include <cmath>
#include <cstdio>

namespace zel {
namespace {

// Day 0 of the day numbers, 1899-12-30, counted from 1970-01-01.
constexpr long kEpochShift = 25569;

// Days since 1970-01-01 of a civil date (H. Hinnant's algorithm).
long DaysFromCivil(long y, long m, long d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace

bool IsValidDate(int year, int month, int day) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

TDateTime EncodeDate(int year, int month, int day) {
  return static_cast<TDateTime>(DaysFromCivil(year, month, day) + kEpochShift);
}

TCivilDate DecodeDate(TDateTime date) {
  const long z = static_cast<long>(std::floor(date)) - kEpochShift + 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const long d = doy - (153 * mp + 2) / 5 + 1;
  const long m = mp < 10 ? mp + 3 : mp - 9;
  const long y = yoe + era * 400 + (m <= 2);
  return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

int DayOfWeek(TDateTime date) {
  // Day 0 (1899-12-30) was a Saturday.
  const long n = static_cast<long>(std::floor(date));
  return static_cast<int>(((n + 5) % 7 + 7) % 7) + 1;
}

std::string DateToIso(TDateTime date) {
  const TCivilDate c = DecodeDate(date);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", c.year, c.month, c.day);
  return buf;
}

}  // namespace zel
