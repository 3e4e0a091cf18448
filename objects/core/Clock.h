// "Now" for the domain code: the local time as a day number, or a fixed time
// that tests set.
#pragma once

namespace zel::Clock {

// The current local date and time (days since 1899-12-30, time as fraction).
double Now();
// Fixes Now() at this value (tests); Reset() returns to the real clock.
void Set(double now);
void Reset();

}  // namespace zel::Clock
