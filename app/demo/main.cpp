// zeldemo: checks a few accounts (or the pairs given on the command line)
// against the bank table and prints status code and bank name.

#include <cstdio>
#include <string>
#include <vector>

#include "BlzTab.h"
#include "ZelProbeObject.h"

namespace {

struct Pair {
  std::string blz, account;
};

void CheckOne(const Pair& p) {
  const int index = zel::GetBankIndexByString(p.blz);
  zel::TBankRecord bank;
  zel::GetBankByIndex(index, bank);
  const int status =
      index < 1 || bank.ChangeFlag == 'D' ? -1 : zel::TestByRule(p.blz, p.account, bank.Rule);
  const std::string name = index < 1 ? "(unbekannt)" : std::string(bank.Name58.View());
  std::printf("%-8s %-10s Ergebnis: %3d  %s\n", p.blz.c_str(), p.account.c_str(), status,
              name.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<Pair> pairs;
  for (int i = 1; i + 1 < argc; i += 2) pairs.push_back({argv[i], argv[i + 1]});
  if (pairs.empty())
    pairs = {{"10000000", "1234567890"},
             {"37040044", "532013000"},
             {"37040044", "532013001"},
             {"20041111", "1234567890"},
             {"12345678", "1234567890"}};
  std::printf("Zelvaro: %d Banken in der Bankleitzahlentabelle\n", zel::GetBankAnzahl());
  for (const Pair& p : pairs) CheckOne(p);
  return 0;
}
