#include "Clock.h"

#include <ctime>
#include <optional>

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
