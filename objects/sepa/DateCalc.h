// The bank calendar: Easter, the holiday lists, bank days and due dates, on
// the dates of Dates.h.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Dates.h"

namespace zel {

using TDateArray = std::vector<TDateTime>;

// Bits of the holiday set; the other days of the list are always present.
namespace Holiday {
constexpr std::uint32_t Epiphany = 1 << 0;             // 6 January
constexpr std::uint32_t Ascension = 1 << 1;            // Easter + 39
constexpr std::uint32_t CorpusChristi = 1 << 2;        // Easter + 60
constexpr std::uint32_t PeaceFestival = 1 << 3;        // 8 August
constexpr std::uint32_t Assumption = 1 << 4;           // 15 August
constexpr std::uint32_t Reformation = 1 << 5;          // 31 October
constexpr std::uint32_t AllSaints = 1 << 6;            // 1 November
constexpr std::uint32_t AllSouls = 1 << 7;             // 2 November
constexpr std::uint32_t RepentanceAndPrayer = 1 << 8;  // Buss- und Bettag
constexpr std::uint32_t ChristmasEve = 1 << 9;         // 24 December
constexpr std::uint32_t NewYearsEve = 1 << 10;         // 31 December
constexpr std::uint32_t All = 0x7FF;
constexpr std::uint32_t Bank = Ascension | ChristmasEve | NewYearsEve;
}  // namespace Holiday

// Easter Sunday of a year (Gregorian from 1583, Julian reckoning before).
TDateTime EasterSunday(int year);
// The Wednesday before the fifth Sunday before 25 December.
TDateTime BussUndBettag(int year);
// The holidays of a year, fixed days and the selected optional ones, in
// calendar order.
TDateArray GetHolidays(int year, std::uint32_t holidaySet);
// The bank holidays: the fixed days, Ascension, 24 and 31 December.
TDateArray GetBankFeiertage(int year);

// Bank days and due dates: a day is no bank day on a weekend or a bank
// holiday. "Now" comes from Clock (Dates.h); before the cut-off hour today still counts.
class TBankCalendar {
 public:
  explicit TBankCalendar(int bankHour = 12) : fBankHour(bankHour) {}

  int BankHour() const { return fBankHour; }
  // Hours outside 0..23 are ignored.
  void SetBankHour(int hour) {
    if (hour >= 0 && hour <= 23) fBankHour = hour;
  }
  bool IsBankHoliday(TDateTime date);
  // The first bank day on or after `date` (0 = now, after the cut-off hour
  // tomorrow), moved `count` bank days forward or, when negative, back.
  TDateTime GetMinDate(int count, TDateTime date);

 private:
  int fBankHour;
  std::map<int, TDateArray> fHolidays;  // by year, built when first needed
};

}  // namespace zel
