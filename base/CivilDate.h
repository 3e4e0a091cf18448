// Civil dates and day numbers counted from 30 December 1899 (proleptic
// Gregorian calendar), shared by the base package and the domain code.
#pragma once

#include <cmath>

namespace zel::civil {

struct Date {
  int year;
  int month;
  int day;
};

// Day 0 of the day numbers, 1899-12-30, counted from 1970-01-01.
constexpr long kEpochShift = 25569;

// Days since 1970-01-01 of a civil date (H. Hinnant's algorithm).
constexpr long DaysFromCivil(long y, long m, long d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

// The civil date of a count of days since 1970-01-01.
constexpr Date CivilFromDays(long days) {
  const long z = days + 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const long d = doy - (153 * mp + 2) / 5 + 1;
  const long m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(yoe + era * 400 + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

// The civil date of the day a day number (days since 1899-12-30) lies in.
inline Date FromDayNumber(double dayNumber) {
  return CivilFromDays(static_cast<long>(std::floor(dayNumber)) - kEpochShift);
}

// The day number (days since 1899-12-30) of a civil date.
constexpr long DayNumber(int y, int m, int d) { return DaysFromCivil(y, m, d) + kEpochShift; }

// The first day on which the bank data of a year's quarter is valid: the
// Monday after the first Saturday of the quarter's last month. A data
// file's period runs to the day before the next quarter's first day.
constexpr long FirstValidDay(int year, int quarter) {
  long day = DaysFromCivil(year, 3 * quarter, 1);
  while ((day % 7 + 11) % 7 != 6) ++day;  // 1970-01-01 was a Thursday (4)
  return day + 2 + kEpochShift;
}
constexpr long LastValidDay(int year, int quarter) {
  return (quarter == 4 ? FirstValidDay(year + 1, 1) : FirstValidDay(year, quarter + 1)) - 1;
}

static_assert(FirstValidDay(2013, 4) == DayNumber(2013, 12, 9));
static_assert(LastValidDay(2013, 4) == DayNumber(2014, 3, 2));
static_assert(FirstValidDay(2026, 2) == DayNumber(2026, 6, 8));
static_assert(LastValidDay(2026, 2) == DayNumber(2026, 9, 6));

}  // namespace zel::civil
