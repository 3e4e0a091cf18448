// The IBAN rules' own steps, with an account check that accepts everything,
// the successor chain on made-up tables, the HVB table and the MOD 97 text
// arithmetic.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

#include "BankUtil.h"
#include "HvbTab.h"
#include "IbanRules.h"

namespace {

using namespace zel;

// Accepts every account, like a bank without check digits.
class AcceptAll : public TZelBaseObject {
 public:
  std::string ClassName() const override { return "AcceptAll"; }
  std::int32_t TestBlzKto(const std::string&, const std::string&) override { return 0; }
};

// The standard step reads the default bank table; "" skips a comparison.
struct Case {
  int rule;
  const char* blz;
  const char* account;
  const char* result;  // BIC or error; "" = not compared
  const char* newBlz;
  const char* newAccount;
};

TEST(IbanRules, RuleSteps) {
  const Case cases[] = {
      {1, "10000000", "0000000001", "*24 NS", "", ""},
      {5, "50040033", "0123456789", "*24 NS", "", ""},
      {9, "68351976", "1116123456", "SOLADES1SFH", "68351557", "3047123456"},
      {9, "68351976", "1117123456", "SOLADES1SFH", "68351557", "1117123456"},
      {36, "20050000", "0000123456", "", "21050000", "0123456000"},
      {36, "20050000", "0000050000", "*24 NS", "", ""},
      {36, "20050000", "0029999999", "*24 NS", "", ""},
      {36, "20050000", "0030000000", "", "21050000", "0030000000"},
      {36, "20050000", "8500000000", "", "21050000", "8500000000"},
      {36, "20050000", "8600000000", "*24 NS", "", ""},
      {41, "62220000", "9999999999", "GENODEFFXXX", "50060400", "0000011404"},
      {41, "10000000", "9999999999", "MARKDEF1100", "10000000", "9999999999"},
      {52, "67220020", "0000000001", "*24 NS", "", ""},
      {54, "10000000", "0045796740", "MARKDEF1100", "10000000", "0045796743"},
      {54, "10000000", "0030796740", "MARKDEF1100", "10000000", "0030796740"},
      {56, "10010111", "0000000036", "", "38010111", "1010240003"},
      {56, "10010111", "0000000001", "*24 NS", "", ""},
      {57, "10000000", "0000000001", "*1", "", ""},
      {99, "10000000", "0000000001", "*1", "", ""},
  };
  AcceptAll accept;
  for (const Case& c : cases) {
    std::string blz = c.blz, account = c.account;
    const std::string result = IbanRules::ApplyRule(c.rule, accept, blz, account);
    SCOPED_TRACE("rule " + std::to_string(c.rule) + " " + c.blz + " " + c.account);
    if (*c.result) {
      EXPECT_EQ(result, c.result);
    }
    if (*c.newBlz) {
      EXPECT_EQ(blz, c.newBlz);
      EXPECT_EQ(account, c.newAccount);
    }
  }
}

TEST(IbanRules, Rule20RefusesWhatOnlyMethod06Accepts) {
  // Bank 76026000: 0123456785 passes method 06 and fails 63; 0123456780 fails
  // both and goes on to the account check (here: accepted).
  AcceptAll accept;
  std::string blz = "76026000", account = "0123456785";
  EXPECT_EQ(IbanRules::ApplyRule(20, accept, blz, account), "*24 NS");
  blz = "76026000", account = "0123456780";
  EXPECT_NE(IbanRules::ApplyRule(20, accept, blz, account), "*24 NS");
  blz = "10020000", account = "0123456785";
  EXPECT_EQ(IbanRules::ApplyRule(20, accept, blz, account), "*24 NS");
  blz = "50070010", account = "0000009999";
  IbanRules::ApplyRule(20, accept, blz, account);
  EXPECT_EQ(account, "0092777202");
}

// A made-up bank table for the successor chain.
struct FakeTable {
  std::map<std::uint32_t, std::pair<std::uint32_t, std::string>> banks;  // code -> successor, BIC
  IbanRules::Lookup Lookup() const {
    return [this](std::uint32_t code, TBankRecord& r) {
      const auto it = banks.find(code);
      if (it == banks.end()) return false;
      r = TBankRecord{};
      r.Blz = code;
      r.SuccessorBlz = it->second.first;
      r.Bic.Assign(it->second.second);
      return true;
    };
  }
};

TEST(IbanRules, SuccessorChain) {
  FakeTable t;
  t.banks[10000001] = {10000002, "AAAADEFFXXX"};
  t.banks[10000002] = {10000003, "BBBBDEFFXXX"};
  t.banks[10000003] = {0, "CCCCDEFFXXX"};
  t.banks[20000001] = {20000002, "LOOP1"};
  t.banks[20000002] = {20000001, "LOOP2"};
  t.banks[30000001] = {39999999, "BROKEN"};
  t.banks[40000000] = {0, ""};
  EXPECT_EQ(IbanRules::SuccessorBic(10000001, t.Lookup()), "CCCCDEFFXXX");
  EXPECT_EQ(IbanRules::SuccessorBic(10000003, t.Lookup()), "CCCCDEFFXXX");
  EXPECT_EQ(IbanRules::SuccessorBic(20000001, t.Lookup()), "*I4");
  EXPECT_EQ(IbanRules::SuccessorBic(30000001, t.Lookup()), "*I4");
  EXPECT_EQ(IbanRules::SuccessorBic(40000000, t.Lookup()), "");
  // A chain of exactly 100 links still ends; 101 do not.
  for (std::uint32_t i = 0; i < 101; ++i) t.banks[50000000 + i] = {50000000 + i + 1, "X"};
  t.banks[50000101] = {0, "END"};
  EXPECT_EQ(IbanRules::SuccessorBic(50000001, t.Lookup()), "END");
  EXPECT_EQ(IbanRules::SuccessorBic(50000000, t.Lookup()), "*I4");
}

TEST(HvbTab, LookUps) {
  EXPECT_EQ(GetHvbBlz0("100"), "76020070");
  EXPECT_EQ(GetHvbBlz0("101"), "10020890");
  EXPECT_EQ(GetHvbBlz0("167"), "74320073");
  EXPECT_EQ(GetHvbBlz0("798"), "70020270");
  EXPECT_EQ(GetHvbBlz0("099"), "");
  EXPECT_EQ(GetHvbBlz0("800"), "");
  EXPECT_EQ(GetHvbBlz0("1a0"), "");
  EXPECT_EQ(GetHvbBlz0("10"), "");
  EXPECT_EQ(GetHvbBlz1("167", "74320307"), "74320073");
  EXPECT_EQ(GetHvbBlz1("167", "75020314"), "74320073");
  EXPECT_EQ(GetHvbBlz1("100", "10120760"), "");
  EXPECT_EQ(GetHvbBlz1("733", "86020880"), "83020087");
}

TEST(HvbTab, EveryEntryOfTheSourceFile) {
  std::ifstream in(ZEL_IBANRULES_DIR "/hvb_rule31.txt");
  int entries = 0;
  std::map<std::string, std::string> firstResult;
  for (std::string line; std::getline(in, line); ++entries) {
    ASSERT_EQ(line.size(), 21u) << line;
    EXPECT_EQ(GetHvbBlz1(line.substr(0, 3), line.substr(4, 8)), line.substr(13)) << line;
    firstResult.emplace(line.substr(0, 3), line.substr(13));
  }
  EXPECT_EQ(entries, 459);
  for (const auto& [prefix, result] : firstResult) EXPECT_EQ(GetHvbBlz0(prefix), result);
}

TEST(BankUtil, Mod97InChunks) {
  EXPECT_EQ(BankUtil::Mod97(""), 0);
  EXPECT_EQ(BankUtil::Mod97("96"), 96);
  EXPECT_EQ(BankUtil::Mod97("97"), 0);
  // 3704004405320130001314 00 mod 97 = 9 (98 - 9 = 89, the check digits of DE89...)
  EXPECT_EQ(BankUtil::Mod97("370400440532013000131400"), 9);
  // A 40-digit string: 10^39 mod 97 = 56 (10^96 = 1 mod 97, computed by hand below).
  std::string big = "1" + std::string(39, '0');
  int expected = 1;
  for (int i = 0; i < 39; ++i) expected = expected * 10 % 97;
  EXPECT_EQ(BankUtil::Mod97(big), expected);
  EXPECT_EQ(BankUtil::Mod97("12345678901234567X"), 0);  // a chunk that is no number
}

TEST(BankUtil, ConvertToIbanBic) {
  EXPECT_EQ(BankUtil::ConvertToIbanBic("de89 3704-0044.0532 0130 00", false),
            "DE89370400440532013000");
  EXPECT_EQ(BankUtil::ConvertToIbanBic("cobadeff\xe4xxx", true), "COBADEFFXXX");
  EXPECT_EQ(BankUtil::ConvertToIbanBic("", false), "");
}

}  // namespace
