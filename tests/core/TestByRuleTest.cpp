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
      {"12345678901", 0, 11}, {"12A", 0, 12},  {"12A", 9, 12},       {"", 0, 14},
      {"0", 0, 14},           {"0000000000", 0, 14}, {"00000000000", 0, 11}, {" 123", 0, 12},
      {"-123", 0, 12},        {"123", 9, 3},   {"9999999999", 9, 3}, {"123", 12, 1},
      {"123", 142, 1},        {"123", -1, 1},  {"123", 1000, 1},     {"0000000000", 9, 14},
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

TEST(CorrectSub, Method13) {
  const std::string blz = BankWithMethod(13);
  ASSERT_FALSE(blz.empty());
  // 0060624400 is valid as written; 0006062440 lacks its sub-account.
  EXPECT_EQ(CorrectSub(blz, "1234567890"), "1234567890");     // first digits not zero
  EXPECT_EQ(CorrectSub(blz, "0006062440"), "0606244000");      // only the shifted form is valid
  EXPECT_EQ(CorrectSub(blz, "0000000000"), "*24 I5");          // zero account
  EXPECT_EQ(CorrectSub(blz, "00000000A1"), "*24 I5");
  EXPECT_EQ(CorrectSub(blz, "0000000001"), "*24 I6");          // shifted form is all zeros
  EXPECT_EQ(CorrectSub(blz, "0012345679"), "*13");             // neither form is valid
}

}  // namespace
