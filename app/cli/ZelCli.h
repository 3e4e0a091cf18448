// zel: the command-line client. Reaches the domain only through ZelBase
// proxies; prints the system's German texts in UTF-8.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace zelcli {

// Exit codes: 0 accepted, 1 rejected, 2 bad usage or no data file.
constexpr int kAccepted = 0;
constexpr int kRejected = 1;
constexpr int kUsage = 2;

// Sets the day that "today" means for the validity of the bank data, as a
// day number (days since 1899-12-30); an empty function is the system clock.
void SetClock(std::function<double()> dayNumber);

// Runs one command line (without the program name).
int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err);

}  // namespace zelcli
