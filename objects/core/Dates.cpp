#include "Dates.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>

#include "CivilDate.h"

namespace zel {

bool IsValidDate(int year, int month, int day) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

TDateTime EncodeDate(int year, int month, int day) {
  return static_cast<TDateTime>(civil::DaysFromCivil(year, month, day) + civil::kEpochShift);
}

TCivilDate DecodeDate(TDateTime date) {
  const civil::Date c = civil::FromDayNumber(date);
  return {c.year, c.month, c.day};
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

namespace zel::Clock {
namespace {

std::optional<double>& Fixed() {
  static std::optional<double> fixed;
  return fixed;
}

}  // namespace

double Now() {
  if (Fixed()) return *Fixed();
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  // Local civil time as seconds since 1970-01-01, then as days since 1899-12-30.
  const double seconds = static_cast<double>(timegm(&local));
  return seconds / 86400.0 + 25569.0;
}

void Set(double now) { Fixed() = now; }
void Reset() { Fixed().reset(); }

}  // namespace zel::Clock
