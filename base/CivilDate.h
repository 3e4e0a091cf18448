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

}  // namespace zel::civil
