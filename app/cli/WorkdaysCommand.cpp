// zel workdays: bank working days of a year, quarter or month.

#include <string>

#include "CliCommon.h"
#include "Commands.h"

namespace zelcli {
namespace {

using zel::Cp1252ToUtf8;
using zel::TProxyZelProbeObject;
using zel::Utf8ToCp1252;

// The holiday set the window presets: Epiphany, Ascension, Corpus Christi,
// All Saints, 24 and 31 December.
constexpr int kDefaultHolidays = 1 + 2 + 4 + 64 + 512 + 1024;

}  // namespace

int Workdays(Context& c) {
  const Args& a = c.args;
  if (a.words.empty() || a.words.size() > 2) return -1;
  int year = 0, month = 0, holidays = kDefaultHolidays;
  if (!ToInt(a.words[0], year)) return -1;
  if (a.words.size() == 2) {
    const std::string& m = a.words[1];
    if (m.size() == 2 && (m[0] == 'Q' || m[0] == 'q') && m[1] >= '1' && m[1] <= '4')
      month = 40 + (m[1] - '0');
    else if (!ToInt(m, month))
      return -1;
  }
  if (a.Has("--holidays") && !ToInt(a.Get("--holidays"), holidays)) return -1;
  auto p = zel::TProxyZelArbeitObject::Create("ZelArbeitObject");
  if (!p) {
    c.err << kNoDataFile << "\n";
    return kUsage;
  }
  const int n = p->Arbeitstage(year, month, a.Has("--saturday") ? 1 : 0, holidays);
  if (c.json)
    c.out << JsonObject().Number("year", year).Number("period", month).Number("workdays", n).Str()
          << "\n";
  else if (n >= 0)
    c.out << "Ergebnis: " << n << " Arbeitstage.\n";
  else if (year < 1 || year > 9999)
    c.out << "Das Jahr " << year << " liegt außerhalb des Kalenders (1 bis 9999).\n";
  else
    c.out << "Der Zeitraum " << month << " ist unbekannt.\n";
  return n >= 0 ? kAccepted : kRejected;
}

}  // namespace zelcli
