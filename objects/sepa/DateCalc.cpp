#include "DateCalc.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Dates.h"

namespace zel {
TDateTime EasterSunday(int year) {
  const int k = year / 100;
  const int a = year % 19;
  const bool gregorian = year >= 1583;
  const int m = gregorian ? 15 + (3 * k + 3) / 4 - (8 * k + 13) / 25 : 15;
  const int s = gregorian ? 2 - (3 * k + 3) / 4 : 0;
  const int d = (19 * a + m) % 30;
  const int r = (d + a / 11) / 29;
  const int og = 21 + d - r;
  const int sz = 7 - (year + year / 4 + s) % 7;
  const int oe = 7 - (og - sz) % 7;
  return EncodeDate(year, 3, 1) - 1 + og + oe;
}

TDateTime BussUndBettag(int year) {
  TDateTime d = EncodeDate(year, 12, 25);
  int sundays = 0;
  for (;;) {
    d -= 1;
    if (DayOfWeek(d) == 7) ++sundays;
    if (sundays >= 5 && DayOfWeek(d) == 3) return d;
  }
}

TDateArray GetHolidays(int year, std::uint32_t holidaySet) {
  using namespace Holiday;
  const TDateTime easter = EasterSunday(year);
  struct Day {
    std::uint32_t bit;  // 0 = always
    TDateTime date;
  };
  const Day days[] = {
      {0, EncodeDate(year, 1, 1)},
      {Epiphany, EncodeDate(year, 1, 6)},
      {0, easter - 2},
      {0, easter + 1},
      {0, EncodeDate(year, 5, 1)},
      {Ascension, easter + 39},
      {0, easter + 50},
      {CorpusChristi, easter + 60},
      {PeaceFestival, EncodeDate(year, 8, 8)},
      {Assumption, EncodeDate(year, 8, 15)},
      {0, EncodeDate(year, 10, 3)},
      {Reformation, EncodeDate(year, 10, 31)},
      {AllSaints, EncodeDate(year, 11, 1)},
      {AllSouls, EncodeDate(year, 11, 2)},
      {RepentanceAndPrayer, BussUndBettag(year)},
      {ChristmasEve, EncodeDate(year, 12, 24)},
      {0, EncodeDate(year, 12, 25)},
      {0, EncodeDate(year, 12, 26)},
      {NewYearsEve, EncodeDate(year, 12, 31)},
  };
  TDateArray list;
  for (const Day& day : days)
    if (day.bit == 0 || (holidaySet & day.bit)) list.push_back(day.date);
  return list;
}

TDateArray GetBankFeiertage(int year) { return GetHolidays(year, Holiday::Bank); }

bool TBankCalendar::IsBankHoliday(TDateTime date) {
  const int dow = DayOfWeek(date);
  if (dow == 6 || dow == 7) return true;
  const int year = DecodeDate(date).year;
  auto it = fHolidays.find(year);
  if (it == fHolidays.end()) it = fHolidays.emplace(year, GetBankFeiertage(year)).first;
  const TDateTime day = std::floor(date);
  return std::find(it->second.begin(), it->second.end(), day) != it->second.end();
}

TDateTime TBankCalendar::GetMinDate(int count, TDateTime date) {
  if (date == 0) {
    date = Clock::Now();
    const double hour = (date - std::floor(date)) * 24.0;
    if (hour >= fBankHour) date += 1;
  }
  date = std::floor(date);
  while (IsBankHoliday(date)) date += 1;
  const int step = count >= 0 ? 1 : -1;
  for (int i = 0; i < (count >= 0 ? count : -count); ++i) {
    date += step;
    while (IsBankHoliday(date)) date += step;
  }
  return date;
}

}  // namespace zel
