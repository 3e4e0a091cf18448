// Dates for every domain folder: day numbers counted from 30 December 1899
// (the time of day is the fraction), their civil form, and "now" (the local
// time, or a fixed time that tests set). The bank calendar builds on these.
#pragma once

#include <string>

namespace zel {

using TDateTime = double;

struct TCivilDate {
  int year;
  int month;
  int day;
};

// True for a date of the proleptic Gregorian calendar, years 1 to 9999.
bool IsValidDate(int year, int month, int day);
// The day number of a civil date (proleptic Gregorian calendar).
TDateTime EncodeDate(int year, int month, int day);
// The civil date of the day a day number lies in.
TCivilDate DecodeDate(TDateTime date);
// 1 = Monday ... 7 = Sunday.
int DayOfWeek(TDateTime date);
// "yyyy-mm-dd"
std::string DateToIso(TDateTime date);

namespace Clock {

// The current local date and time (days since 1899-12-30, time as fraction).
double Now();
// Fixes Now() at this value (tests); Reset() returns to the real clock.
void Set(double now);
void Reset();

}  // namespace Clock

}  // namespace zel
