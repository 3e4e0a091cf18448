// The account check object through its proxy, on the real data files.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "../base/PackageFixture.h"

namespace {

using namespace zeltest;
using zel::Cp1252ToUtf8;
using zel::TProxyZelProbeObject;

using ProbeObject = ProbeFixture;

TEST_F(ProbeObject, DeletedAndAnnouncedBanks) {
  struct Case {
    const char* blz;
    const char* account;
    int expected;
  };
  const Case cases[] = {
      {"10000000", "1234567890", 3},    // method 09
      {"10000000+", "1234567890", 3},   // not announced: the plain status
      {"65461878", "1234567890", -1},   // deleted, without "+"
      {"65461878+", "1234567890", -2},  // deleted, no successor
      {"10090300", "1234567890", 3},    // announced, no successor, method 09
      {"10090300+", "1234567890", 103},
      {"10060198", "1234567890", 13},  // announced, successor 37060193, method 06
      {"10060198+", "1234567890", 213},
      {"10060198+", "12A", 212},
      {"12345678", "12A", -1},  // the bank is looked up first
      {"12345678+", "1", -1},
      {"1000000", "1", -1},
      {"", "1", -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(probe_->TestBlzKto(c.blz, c.account), c.expected) << c.blz << " " << c.account;
  EXPECT_EQ(probe_->GetBankName20("10060198+"), "|U|001|37060193|$|");
  EXPECT_EQ(probe_->GetBankName20("10000000+"), "|U|000|00000000|$|");
  EXPECT_EQ(probe_->GetBankName20("65461878+"), "|D|000|00000000|$|");
  EXPECT_EQ(probe_->GetBankName20("12345678+"), "");
}

TEST_F(ProbeObject, DeletedBankWithSuccessorInTheOlderData) {
  ASSERT_EQ(Pkg().Activate(kOldFile), 0);
  EXPECT_EQ(probe_->TestBlzKto("37551670+", "1"), -3);
  EXPECT_EQ(probe_->TestBlzKto("37551670", "1"), -1);
  EXPECT_EQ(probe_->GetBankName20("37551670+").substr(7, 8), "30050110");
  EXPECT_EQ(probe_->GetRule("37551670"), 0);  // deleted banks keep their method
}

TEST_F(ProbeObject, MethodWithoutABank) {
  struct Case {
    const char *method, *blz, *account;
    int expected;
  };
  const Case cases[] = {
      {"00", "", "9290701", 0},
      {"00", "", "9290702", 13},
      {"52", "13051172", "43001500", 0},
      {"52", "", "43001500", 13},
      {"12", "", "1", 1},  // a method number without a definition
      {"Z1", "", "1", 1},
      {"", "", "1", 1},
      {"5", "13051172", "43001500", 1},  // not two characters
      {"521", "3051172", "43001500", 1},
      {"52", "3051172", "43001500", -1},  // the bank code must be eight digits
      {"52", "#3051172", "43001500", -1},
      {"09", "", "12A", 12},
  };
  for (const Case& c : cases)
    EXPECT_EQ(probe_->TestByMethod(c.method, c.blz, c.account), c.expected)
        << c.method << " " << c.blz;
}

// Each data file checks with the method rows in force for its bank data: the
// same accounts, through the newest file and through the 2013 file.
TEST_F(ProbeObject, MethodRowsFollowTheDataFile) {
  struct Case {
    const char *method, *account;
    int current, rows2013;
  };
  const Case cases[] = {
      {"E3", "9290701", 0, 1},      // E2 to E4 did not exist in 2013
      {"E4", "1501836", 0, 1},      //
      {"E2", "0003831745", 0, 1},   //
      {"B1", "1501824", 0, 13},     // variant 3 (method 00) is new
      {"C2", "0076543216", 0, 13},  // variant 3 (method 04) is new
      {"74", "1015", 0, 13},        // variant 2 (method 04) is new
      {"45", "4890001112", 4, 13},  // 48 at k1..k2: no check digit now
      {"66", "0983393104", 3, 13},  // 9 at k2: method 09 now
  };
  for (const Case& c : cases)
    EXPECT_EQ(probe_->TestByMethod(c.method, "", c.account), c.current) << c.method;
  // Sparkasse Saarbrücken (E3): a typo no longer passes as "unknown method".
  EXPECT_EQ(probe_->TestBlzKto("59050101", "1234567890"), 13);
  ASSERT_EQ(Pkg().Activate(kOldFile), 0);
  for (const Case& c : cases)
    EXPECT_EQ(probe_->TestByMethod(c.method, "", c.account), c.rows2013) << c.method;
}

TEST_F(ProbeObject, BankCodesNeverSelectAMethod) {
  // "#" + a method code was once an in-band mode of the bank code.
  for (const char* blz : {"#00", "#zz", "#0910000000", "#09XXXXX", "#52+"})
    EXPECT_EQ(probe_->TestBlzKto(blz, "1"), -1) << blz;
}

TEST_F(ProbeObject, BankData) {
  EXPECT_EQ(probe_->GetRule("10000000"), 9);
  EXPECT_EQ(probe_->GetRule("10000000+"), -1);
  EXPECT_EQ(probe_->GetRule("12345678"), -1);
  EXPECT_EQ(Cp1252ToUtf8(probe_->GetBankName58("37050198")), "Sparkasse KölnBonn");
  EXPECT_EQ(Cp1252ToUtf8(probe_->GetBankOrt("37050198")), "Köln");
  EXPECT_EQ(probe_->GetBankName58("37050198+"), "");
  EXPECT_EQ(probe_->GetBankPlz("85010500"), "01054");
  EXPECT_EQ(probe_->GetBankPlz("12345678"), "");
  EXPECT_EQ(probe_->GetBankName20("10000000"), "BBk Berlin");
  EXPECT_EQ(probe_->GetBic("37050198"), "COLSDE33XXX");
  EXPECT_EQ(probe_->GetBic(" 10000000+"), "20100");
  EXPECT_EQ(probe_->GetBic("20100-").substr(0, 8), "10000000");
  EXPECT_EQ(probe_->GetBic("12345678"), "");
  EXPECT_EQ(probe_->GetErrorMessage(0), "Ok");
}

TEST_F(ProbeObject, EnumerationSkipsDeletedBanks) {
  std::set<std::string> codes;
  std::string previous;
  int count = 0;
  for (std::string c = probe_->GetFirstBank(); !c.empty(); c = probe_->GetNextBank(), ++count) {
    EXPECT_LT(previous, c);
    previous = c;
    codes.insert(c);
  }
  EXPECT_EQ(count, 3506 - 2);
  EXPECT_EQ(codes.count("65461878"), 0u);
  EXPECT_EQ(codes.count("74067000"), 0u);
  EXPECT_EQ(probe_->GetNextBank(), "");  // stays at the end
  EXPECT_EQ(probe_->GetFirstBank(), "10000000");
}

TEST_F(ProbeObject, TwoInstancesEnumerateIndependently) {
  auto other = TProxyZelProbeObject::Create("ZelProbeObject");
  EXPECT_EQ(probe_->GetFirstBank(), "10000000");
  const std::string second = probe_->GetNextBank();
  probe_->GetNextBank();
  EXPECT_EQ(other->GetFirstBank(), "10000000");
  EXPECT_EQ(other->GetNextBank(), second);
}

TEST_F(ProbeObject, NameSearch) {
  auto all = [&](const std::string& text, bool fragments) {
    std::vector<std::string> found;
    for (std::string c = probe_->GetFirstMatch(text, fragments); !c.empty();
         c = probe_->GetNextMatch())
      found.push_back(c);
    return found;
  };
  EXPECT_EQ(probe_->GetNextMatch(), "");  // before any search
  const auto berlin = all("berlin", false);
  ASSERT_FALSE(berlin.empty());
  for (const std::string& c : berlin) {
    const std::string name = " " + probe_->GetBankName27(c) + " ";
    std::string upper = name;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    EXPECT_NE(upper.find(" BERLIN "), std::string::npos) << name;
  }
  EXPECT_TRUE(all("berl", false).empty());
  EXPECT_TRUE(all(std::string(1001, 'B'), true).empty());  // longer than any name: refused
  EXPECT_NE(zel::Cp1252ToUtf8(probe_->GetLastError()).find("länger als 1000"), std::string::npos);
  const auto berl = all("berl", true);
  EXPECT_GE(berl.size(), berlin.size());
  // Words in any order, all of them required; umlauts in either case.
  EXPECT_EQ(all("  Berlin   BBk ", false), std::vector<std::string>{"10000000"});
  EXPECT_FALSE(all(zel::Utf8ToCp1252("KÖLNBONN"), false).empty());
  EXPECT_EQ(all(zel::Utf8ToCp1252("kölnbonn"), false), all(zel::Utf8ToCp1252("KÖLNBONN"), false));
  // "+" searches the full names too.
  EXPECT_TRUE(all("bundesbank", false).empty());
  EXPECT_FALSE(all("bundesbank+", false).empty());
  // No words: every bank that is not deleted.
  EXPECT_EQ(all("", false).size(), 3506u - 2);
  EXPECT_EQ(probe_->GetNextMatch(), "");
}

TEST_F(ProbeObject, CreditCards) {
  struct Case {
    const char* number;
    int expected;
  };
  const Case cases[] = {
      {"4111111111111111", 0},     {"4111111111111112", 13},
      {"4000000000006", 0},        {"5100000000000008", 0},
      {"5500000000000004", 0},     {"5600000000000003", 1},
      {"340000000000009", 0},      {"378282246310005", 0},
      {"36000000000008", 0},       {"38000000000006", 0},
      {"30000000000004", 0},       {"30600000000003", 1},
      {"6011000000000004", 0},     {"3000000000000004", 0},
      {"213100000000001", 0},      {"180000000000002", 0},
      {"201400000000009", 1},      {"214900000000003", 1},
      {"411111111111", 1},         {"", 12},
      {"4111 1111 1111 1111", 12}, {"411111111111111A", 12},
  };
  for (const Case& c : cases) EXPECT_EQ(probe_->TestCC(c.number), c.expected) << c.number;
}

TEST_F(ProbeObject, VersionTextsOfBothDataFiles) {
  EXPECT_EQ(probe_->GetVersion(), "Version vom 04.05.26 (BLZ-Stand: 08.06.26) Rev 1");
  const zel::TZelVersionRecord v = probe_->GetVersionRecord();
  EXPECT_EQ(v.Tag.View(), "BrenkKey");
  EXPECT_EQ(v.PackageName.View(), "ZelObjects");
  EXPECT_EQ(v.Reserved.View(), "");
  EXPECT_EQ(v.Description.View(), probe_->GetVersion());
  EXPECT_EQ(+v.Year, 2026);
  EXPECT_EQ(+v.Quarter, 2);
  ASSERT_EQ(Pkg().Activate(kOldFile), 0);
  EXPECT_EQ(probe_->GetVersion(), "Version vom 11.11.13 (BLZ-Stand: 09.12.13) Rev 1");
  EXPECT_EQ(
      probe_->GetVersionExtended(),
      "ZelObjects~2013~4~1~Version vom 11.11.13 (BLZ-Stand: 09.12.13) Rev 1~09.12.2013~02.03.2014");
}

}  // namespace
