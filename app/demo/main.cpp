// zeldemo: checks a few accounts (or the pairs given on the command line)
// against the bank table and prints status code and bank name.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "BlzTab.h"
#include "ZelProbeObject.h"

namespace {

struct Pair {
  std::string blz, account;
};

// Bank texts are code page 1252; the terminal wants UTF-8. The bank data
// holds only Latin-1 letters above 127.
std::string ToUtf8(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

void CheckOne(const Pair& p) {
  const int index = zel::GetBankIndexByString(p.blz);
  zel::TBankRecord bank;
  zel::GetBankByIndex(index, bank);
  const int status =
      index < 1 || bank.ChangeFlag == 'D' ? -1 : zel::TestByRule(p.blz, p.account, bank.Rule);
  const std::string name = index < 1 ? "(unbekannt)" : ToUtf8(bank.Name58.View());
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
             {"37040044", "532013100"},
             {"20041111", "1234567890"},
             {"12345678", "1234567890"}};
  std::printf("Zelvaro: %d Banken in der Bankleitzahlentabelle\n", zel::GetBankAnzahl());
  for (const Pair& p : pairs) CheckOne(p);
  return 0;
}
