// The bank calendar: Easter, the holiday lists, bank days and due dates,
// working days.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DateCalc.h"
#include "ZelArbeitObject.h"

namespace {

using namespace zel;

std::vector<std::string> Iso(const TDateArray& dates) {
  std::vector<std::string> out;
  for (TDateTime d : dates) out.push_back(DateToIso(d));
  return out;
}

TEST(DateCalc, DayNumbers) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2024, 6, 14), 45457.0);
  EXPECT_EQ(DateToIso(45457.75), "2024-06-14");
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 6, 14)), 5);  // Friday
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 6);
  EXPECT_EQ(DateToIso(EncodeDate(1600, 2, 29)), "1600-02-29");
  EXPECT_TRUE(IsValidDate(2000, 2, 29));
  EXPECT_FALSE(IsValidDate(1900, 2, 29));
  EXPECT_FALSE(IsValidDate(2023, 4, 31));
  EXPECT_FALSE(IsValidDate(2023, 13, 1));
}

// Expected dates from the Meeus/Jones/Butcher algorithm (Gregorian) and
// Meeus' Julian algorithm, not from the formula under test.
TEST(DateCalc, EasterAcrossCenturies) {
  struct Case {
    int year, month, day;
  };
  const Case cases[] = {
      {1583, 4, 10},
      {1600, 4, 2},
      {1700, 4, 11},
      {1818, 3, 22},
      {1900, 4, 15},
      {1943, 4, 25},
      {1961, 4, 2},
      {2000, 4, 23},
      {2008, 3, 23},
      {2011, 4, 24},
      {2019, 4, 21},
      {2024, 3, 31},
      {2025, 4, 20},
      {2038, 4, 25},
      {2100, 3, 28},
      {2285, 3, 22},
      {2400, 4, 16},
      // Before 1583 the Julian reckoning (day and month as the Julian calendar names them).
      {325, 4, 18},
      {1000, 3, 31},
      {1200, 4, 9},
      {1492, 4, 22},
      {1500, 4, 19},
      {1582, 4, 15},
  };
  for (const Case& c : cases) {
    const TCivilDate e = DecodeDate(EasterSunday(c.year));
    EXPECT_EQ(e.month * 100 + e.day, c.month * 100 + c.day) << c.year;
  }
}

TEST(DateCalc, BankHolidays2024) {
  EXPECT_EQ(Iso(GetBankFeiertage(2024)),
            (std::vector<std::string>{"2024-01-01", "2024-03-29", "2024-04-01", "2024-05-01",
                                      "2024-05-09", "2024-05-20", "2024-10-03", "2024-12-24",
                                      "2024-12-25", "2024-12-26", "2024-12-31"}));
}

TEST(DateCalc, DayOfRepentanceAndPrayer) {
  EXPECT_EQ(DateToIso(BussUndBettag(2023)), "2023-11-22");
  EXPECT_EQ(DateToIso(BussUndBettag(2024)), "2024-11-20");
  EXPECT_EQ(DateToIso(BussUndBettag(2025)), "2025-11-19");
  EXPECT_EQ(DateToIso(BussUndBettag(2026)), "2026-11-18");
  EXPECT_EQ(Iso(GetHolidays(2024, Holiday::RepentanceAndPrayer))[6], "2024-11-20");
}

// German public holidays from a published calendar (national ones plus
// Epiphany, Corpus Christi, Assumption, Reformation Day, All Saints and the
// Day of Repentance and Prayer).
TEST(DateCalc, GermanHolidays2023To2026) {
  const std::uint32_t set = Holiday::Epiphany | Holiday::Ascension | Holiday::CorpusChristi |
                            Holiday::Assumption | Holiday::Reformation | Holiday::AllSaints |
                            Holiday::RepentanceAndPrayer;
  const std::vector<std::vector<std::string>> published = {
      {"2023-01-01", "2023-01-06", "2023-04-07", "2023-04-10", "2023-05-01", "2023-05-18",
       "2023-05-29", "2023-06-08", "2023-08-15", "2023-10-03", "2023-10-31", "2023-11-01",
       "2023-11-22", "2023-12-25", "2023-12-26"},
      {"2024-01-01", "2024-01-06", "2024-03-29", "2024-04-01", "2024-05-01", "2024-05-09",
       "2024-05-20", "2024-05-30", "2024-08-15", "2024-10-03", "2024-10-31", "2024-11-01",
       "2024-11-20", "2024-12-25", "2024-12-26"},
      {"2025-01-01", "2025-01-06", "2025-04-18", "2025-04-21", "2025-05-01", "2025-05-29",
       "2025-06-09", "2025-06-19", "2025-08-15", "2025-10-03", "2025-10-31", "2025-11-01",
       "2025-11-19", "2025-12-25", "2025-12-26"},
      {"2026-01-01", "2026-01-06", "2026-04-03", "2026-04-06", "2026-05-01", "2026-05-14",
       "2026-05-25", "2026-06-04", "2026-08-15", "2026-10-03", "2026-10-31", "2026-11-01",
       "2026-11-18", "2026-12-25", "2026-12-26"},
  };
  for (int year = 2023; year <= 2026; ++year)
    EXPECT_EQ(Iso(GetHolidays(year, set)), published[static_cast<std::size_t>(year - 2023)])
        << year;
  EXPECT_EQ(GetHolidays(2024, 0).size(), 8u);
  EXPECT_EQ(GetHolidays(2024, Holiday::All).size(), 19u);
  EXPECT_EQ(GetHolidays(2024, 0xFFFFF800), GetHolidays(2024, 0));  // bits above 10 ignored
}

class DueDates : public ::testing::Test {
 protected:
  void TearDown() override { Clock::Reset(); }
  static double At(int y, int m, int d, int hour) { return EncodeDate(y, m, d) + hour / 24.0; }
};

TEST_F(DueDates, FridayBeforeAndAfterTheCutOff) {
  TBankCalendar cal;  // cut-off 12:00
  Clock::Set(At(2024, 6, 14, 11));
  EXPECT_EQ(DateToIso(cal.GetMinDate(0, 0)), "2024-06-14");  // credit offset 0
  EXPECT_EQ(DateToIso(cal.GetMinDate(2, 0)), "2024-06-18");  // short offset 2
  EXPECT_EQ(DateToIso(cal.GetMinDate(5, 0)), "2024-06-21");  // long offset 5
  Clock::Set(At(2024, 6, 14, 13));
  EXPECT_EQ(DateToIso(cal.GetMinDate(0, 0)), "2024-06-17");
  EXPECT_EQ(DateToIso(cal.GetMinDate(2, 0)), "2024-06-19");
  EXPECT_EQ(DateToIso(cal.GetMinDate(5, 0)), "2024-06-24");
  cal.SetBankHour(14);
  EXPECT_EQ(DateToIso(cal.GetMinDate(0, 0)), "2024-06-14");
  cal.SetBankHour(24);  // ignored
  EXPECT_EQ(cal.BankHour(), 14);
}

TEST_F(DueDates, HolidaysMoveTheStart) {
  TBankCalendar cal;
  EXPECT_EQ(DateToIso(cal.GetMinDate(0, EncodeDate(2024, 12, 24))), "2024-12-27");
  EXPECT_EQ(DateToIso(cal.GetMinDate(-2, EncodeDate(2024, 12, 27))), "2024-12-20");
  EXPECT_EQ(DateToIso(cal.GetMinDate(1, EncodeDate(2024, 12, 31))), "2025-01-03");
  EXPECT_EQ(DateToIso(cal.GetMinDate(-1, EncodeDate(2025, 1, 2))), "2024-12-30");
  // A given date has no cut-off hour.
  EXPECT_EQ(DateToIso(cal.GetMinDate(0, EncodeDate(2024, 6, 14) + 0.9)), "2024-06-14");
  // Holidays of later years are known too.
  EXPECT_TRUE(cal.IsBankHoliday(EncodeDate(2031, 12, 24)));
  EXPECT_FALSE(cal.IsBankHoliday(EncodeDate(2031, 12, 23)));
  EXPECT_TRUE(cal.IsBankHoliday(EncodeDate(2024, 6, 15)));  // Saturday
}

TEST(Arbeitstage, Periods) {
  TZelArbeitObject a;
  EXPECT_EQ(a.Arbeitstage(2024, 5, 0, 0), 21);
  EXPECT_EQ(a.Arbeitstage(2024, 5, 0, Holiday::Ascension), 20);
  EXPECT_EQ(a.Arbeitstage(2024, 5, 0, Holiday::Ascension | Holiday::CorpusChristi), 19);
  EXPECT_EQ(a.Arbeitstage(2024, 5, 1, 0), 25);  // four Saturdays more
  EXPECT_EQ(a.Arbeitstage(2024, 41, 0, 0), 63);
  EXPECT_EQ(
      a.Arbeitstage(2024, 41, 0, 0),
      a.Arbeitstage(2024, 1, 0, 0) + a.Arbeitstage(2024, 2, 0, 0) + a.Arbeitstage(2024, 3, 0, 0));
  EXPECT_EQ(a.Arbeitstage(2024, 0, 0, 0), 254);  // 262 weekdays, 8 fixed holidays
  int sum = 0;
  for (int q = 41; q <= 44; ++q) sum += a.Arbeitstage(2024, q, 0, 0x7FF);
  EXPECT_EQ(sum, a.Arbeitstage(2024, 0, 0, 0x7FF));
  for (int code : {13, 45, -1, 40, 100, 113, 200})
    EXPECT_EQ(a.Arbeitstage(2024, code, 0, 0), -1) << code;
}

TEST(Arbeitstage, FromToday) {
  TZelArbeitObject a;
  Clock::Set(EncodeDate(2024, 5, 15) + 11.0 / 24);  // Wednesday 11:00
  EXPECT_EQ(a.Arbeitstage(2024, 105, 0, 0), 12);    // 15th to 31st, Whit Monday off
  Clock::Set(EncodeDate(2024, 5, 15) + 12.0 / 24);  // from 12:00 tomorrow counts
  EXPECT_EQ(a.Arbeitstage(2024, 105, 0, 0), 11);
  EXPECT_EQ(a.Arbeitstage(2024, 106, 0, 0), a.Arbeitstage(2024, 6, 0, 0));  // not this month
  EXPECT_EQ(a.Arbeitstage(2023, 105, 0, 0), a.Arbeitstage(2023, 5, 0, 0));  // not this year
  Clock::Reset();
}

}  // namespace
