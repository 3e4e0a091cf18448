// The common entry of the check methods: normalisation, dispatch and the
// sub-account correction.

#include <gtest/gtest.h>

#include <string>

#include "BlzTab.h"
#include "ZelProbeObject.h"

namespace {

using zel::CorrectSub;
using zel::TestByRule;

TEST(TestByRule, NormalisationRunsBeforeTheMethod) {
  struct Case {
    const char* account;
    int rule;
    int expected;
  };
  const Case cases[] = {
      {"12345678901", 0, 11}, {"12A", 0, 12},        {"12A", 9, 12},         {"", 0, 14},
      {"0", 0, 14},           {"0000000000", 0, 14}, {"00000000000", 0, 11}, {" 123", 0, 12},
      {"-123", 0, 12},        {"123", 9, 3},         {"9999999999", 9, 3},   {"123", 12, 1},
      {"123", 142, 1},        {"123", -1, 1},        {"123", 1000, 1},       {"0000000000", 9, 14},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TestByRule("10000000", c.account, c.rule), c.expected)
        << c.account << " method " << c.rule;
}

TEST(TestByRule, LeadingZerosDoNotMatter) {
  for (int rule = 0; rule <= 141; ++rule) {
    for (const char* account : {"9290701", "1234567", "53900", "123456789"}) {
      const std::string padded = std::string(10 - std::string(account).size(), '0') + account;
      EXPECT_EQ(TestByRule("12345678", account, rule), TestByRule("12345678", padded, rule))
          << account << " method " << rule;
    }
  }
}

TEST(TestByRule, ShortBankCodeTextDoesNotCrash) {
  EXPECT_EQ(TestByRule("", "9290701", 52), TestByRule("00000000", "9290701", 52));
  EXPECT_EQ(TestByRule("123", "9290701", 0), 0);
}

// Finds a bank of the shipped table that uses the method.
std::string BankWithMethod(int rule) {
  zel::TBankRecord r;
  for (int i = 1; i <= zel::GetBankAnzahl(); ++i) {
    zel::GetBankByIndex(i, r);
    if (r.Rule == rule && r.ChangeFlag != 'D') return std::to_string(r.Blz);
  }
  return {};
}

TEST(CorrectSub, OtherMethodsAndUnknownBanksKeepTheAccount) {
  EXPECT_EQ(CorrectSub("10000000", "0012345678"), "0012345678");  // method 09
  EXPECT_EQ(CorrectSub("12345678", "0012345678"), "0012345678");  // no such bank
  EXPECT_EQ(CorrectSub("", "0012345678"), "0012345678");
}

// The four outcomes of the sub-account correction for each method it knows:
// account valid only as written, only shifted, both, neither.
TEST(CorrectSub, ChoosesBetweenAccountAndShiftedAccount) {
  struct Case {
    int method;
    const char* account;
    const char* expected;
  };
  const Case cases[] = {
      {13, "0078128657", "0078128657"}, {13, "0063170669", "6317066900"},
      {13, "0078222754", "7822275400"}, {13, "0029141777", "*13"},
      {63, "0057464057", "0057464057"}, {63, "0000683698", "0068369800"},
      {63, "0004070983", "0407098300"}, {63, "0081327515", "*13"},
      {76, "0081498281", "0081498281"}, {76, "0047236888", "4723688800"},
      {76, "0085953959", "8595395900"}, {76, "0065192196", "*13"},
  };
  for (const Case& c : cases) {
    const std::string blz = BankWithMethod(c.method);
    ASSERT_FALSE(blz.empty()) << "no bank with method " << c.method;
    EXPECT_EQ(CorrectSub(blz, c.account), c.expected) << c.method << " " << c.account;
    // An account that does not begin with two zeros is kept as it is.
    EXPECT_EQ(CorrectSub(blz, std::string("1") + (c.account + 1)),
              std::string("1") + (c.account + 1));
  }
}

TEST(CorrectSub, MalformedAccounts) {
  const std::string blz = BankWithMethod(13);
  EXPECT_EQ(CorrectSub(blz, "0000000000"), "*24 I5");
  EXPECT_EQ(CorrectSub(blz, "00000000A1"), "*24 I5");
  EXPECT_EQ(CorrectSub(blz, "00123456789"), "*24 I5");
  EXPECT_EQ(CorrectSub(blz, "00"), "*24 I5");
}

}  // namespace
