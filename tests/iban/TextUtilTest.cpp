// The text helpers of MiniUtils and BankUtil.

#include <gtest/gtest.h>

#include <string>

#include "../core/Latin1.h"
#include "BankUtil.h"
#include "Dates.h"
#include "MiniUtils.h"

namespace {

using namespace zel;
using zeltest::Utf8;

// Code page 1252 from the UTF-8 of these sources (Latin-1 letters only).
std::string Cp(const std::string& utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    }
  }
  return out;
}

TEST(MiniUtils, PaddingCountingDigits) {
  EXPECT_EQ(MiniUtils::Anz('a', "banana"), 3);
  EXPECT_EQ(MiniUtils::Anz('x', ""), 0);
  EXPECT_EQ(MiniUtils::Ausgleich("ab", 4), "ab  ");
  EXPECT_EQ(MiniUtils::Ausgleich("abc", 2), "abc");
  EXPECT_EQ(MiniUtils::AusgleichR("ab", 4), "  ab");
  EXPECT_EQ(MiniUtils::AusgleichR("abc", -1), "abc");
  EXPECT_TRUE(MiniUtils::IsDigitsOnly(""));
  EXPECT_TRUE(MiniUtils::IsDigitsOnly("0123"));
  EXPECT_FALSE(MiniUtils::IsDigitsOnly("12 3"));
  EXPECT_EQ(MiniUtils::RemoveLeadingZeroes("000"), "");
  EXPECT_EQ(MiniUtils::RemoveLeadingZeroes("00120"), "120");
  EXPECT_EQ(MiniUtils::RemoveDoubleSpaces("  a   b c  "), " a b c ");
  EXPECT_EQ(MiniUtils::GetCentury("89"), "20");
  EXPECT_EQ(MiniUtils::GetCentury("90"), "19");
  EXPECT_EQ(MiniUtils::GetCentury("05"), "20");
}

TEST(MiniUtils, GetInt) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"", 0},      {"12.5", 12},       {"13.5", 14},        {"-12.5", -12}, {"2.4999", 2},
      {"0.5", 0},   {"1.5", 2},         {"-", -1},           {"Wort", 0},    {"42", 42},
      {"-17", -17}, {" 7", 7},          {"7 ", 0},           {"1.2.3", 0},   {".", 0},
      {"1e3", 0},   {"99999999999", 0}, {"3000000000.0", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(MiniUtils::GetInt(c.text), c.expected) << c.text;
  EXPECT_EQ(MiniUtils::GetInt("ab1234cd", 3, 4), 1234);
  EXPECT_EQ(MiniUtils::GetInt("ab1234cd", 3, 5), 0);
  EXPECT_EQ(MiniUtils::GetInt("ab12", 3, 10), 12);
  EXPECT_EQ(MiniUtils::GetInt("ab12", 9, 2), 0);
  EXPECT_EQ(MiniUtils::GetInt("ab12", 0, 2), 0);
}

TEST(MiniUtils, DosCodePage) {
  const std::string german = Cp("ÄÖÜäöüßÿ");
  const std::string dos = MiniUtils::ISOtoIBM(german, false);
  EXPECT_EQ(dos, "\x8e\x99\x9a\x84\x94\x81\xe1\x98");
  EXPECT_EQ(MiniUtils::IBMtoISO(dos), german);
  // Accented vowels come in from DOS but are not sent back.
  EXPECT_EQ(MiniUtils::IBMtoISO("\x82\x85\x8a\x93\xa0"), Cp("éàèôá"));
  EXPECT_EQ(MiniUtils::ISOtoIBM(Cp("é"), false), Cp("é"));
  EXPECT_EQ(MiniUtils::ISOtoIBM("\x80", false), "\x80");
  EXPECT_EQ(MiniUtils::ISOtoIBM("\x80", true), "\xfe");
  EXPECT_EQ(MiniUtils::IBMtoISO("plain text 123"), "plain text 123");
}

TEST(MiniUtils, AtoZAndEntities) {
  EXPECT_EQ(MiniUtils::ISOtoAtoZ(Cp("Große Straße 1")), "GROSSESTRASSE1");
  EXPECT_EQ(MiniUtils::ISOtoAtoZ(Cp("Äpfel-Öl für Über ÿ")), "AEPFELOELFUERUEBERY");
  EXPECT_EQ(MiniUtils::ISOtoPredefinedEntities("a<b & \"c\" 'd'>"),
            "a&lt;b &amp; &quot;c&quot; &apos;d&apos;&gt;");
}

TEST(MiniUtils, SepaDates) {
  EXPECT_EQ(MiniUtils::SepaDateToDate("2024-06-14"), EncodeDate(2024, 6, 14));
  EXPECT_EQ(MiniUtils::SepaDateToDate("2024/06/14"),
            EncodeDate(2024, 6, 14));  // separators unchecked
  EXPECT_EQ(MiniUtils::SepaDateToDate("2024-02-30"), 0.0);
  EXPECT_EQ(MiniUtils::SepaDateToDate("14.06.2024"), 0.0);
  EXPECT_EQ(MiniUtils::SepaDateToDate(""), 0.0);
  EXPECT_EQ(BankUtil::ConvertSepaDateToDate("2000-02-29"), EncodeDate(2000, 2, 29));
}

TEST(BankUtil, SepaChars) {
  EXPECT_EQ(BankUtil::ConvertToSepaChars(Cp("Müller & Söhne"), false), "Mueller...Soehne");
  EXPECT_EQ(BankUtil::ConvertToSepaChars(Cp("Müller & Söhne"), true), "Mueller   Soehne");
  EXPECT_EQ(BankUtil::ConvertToSepaChars(Cp("ÀÉÎÕÑØÇ àéîõ ÿß"), true), "AEI     aei  yss");
  EXPECT_EQ(BankUtil::ConvertToSepaChars("Ref: 12/3-4 (a+b), x.y? 'z'", false),
            "Ref:.12/3-4.(a+b),.x.y?.'z'");
  EXPECT_EQ(BankUtil::ConvertToSepaChars("a*b\tc", true), "a b c");
}

TEST(BankUtil, SepaBetrag) {
  EXPECT_EQ(BankUtil::SepaBetrag(12345000), "1234.50");
  EXPECT_EQ(BankUtil::SepaBetrag(0), "0.00");
  EXPECT_EQ(BankUtil::SepaBetrag(-500), "-0.05");
  EXPECT_EQ(BankUtil::SepaBetrag(1234500), "123.45");
  EXPECT_EQ(BankUtil::SepaBetrag(10000), "1.00");
  EXPECT_EQ(BankUtil::SepaBetrag(9223372036854775807LL), "922337203685477.58");
  EXPECT_EQ(BankUtil::SepaBetrag(-9223372036854775807LL - 1), "-922337203685477.58");
  EXPECT_EQ(BankUtil::SepaBetrag(12345), "1.23");
  EXPECT_EQ(BankUtil::SepaBetrag(12350), "1.24");
}

TEST(BankUtil, MandateDates) {
  Clock::Set(EncodeDate(2024, 6, 14) + 0.5);
  struct Case {
    const char* in;
    const char* trimmed;
    const char* msg;
  };
  const Case cases[] = {
      {" 2013-01-15 ", "2013-01-15", ""},
      {"2024-06-14", "2024-06-14", ""},
      {"2024-06-15", "2024-06-15", "Das Mandatsdatum darf nicht in der Zukunft liegen"},
      {"2004-12-31", "2004-12-31", "Das Mandatsdatum kann nicht vor dem Jahr 2005 liegen"},
      {"2013-02-30", "2013-02-30", "Mandatsdatum 2013-02-30 ist kein gültiges Datum"},
      {"2013-1-15", "2013-1-15", "Mandatsdatum muss das Format JJJJ-MM-TT haben"},
      {"2013/01/15", "2013/01/15", "Mandatsdatum muss das Format JJJJ-MM-TT haben"},
      {"15.01.2013", "15.01.2013", "Mandatsdatum muss das Format JJJJ-MM-TT haben"},
      {"", "", "Mandatsdatum muss das Format JJJJ-MM-TT haben"},
  };
  for (const Case& c : cases) {
    std::string s = c.in, msg = "x";
    BankUtil::CheckMandatDate(s, msg);
    EXPECT_EQ(s, c.trimmed);
    EXPECT_EQ(Utf8(msg), c.msg) << c.in;
  }
  Clock::Reset();
}

TEST(BankUtil, PurposeCodes) {
  for (const char* code : {"SALA", "sala", "CASH", "WTER", "CBLK", "ELEC", "GOVT"})
    EXPECT_TRUE(BankUtil::CheckPurpose(code)) << code;
  for (const char* code : {"", "SAL", "SALAR", "XXXX", "SALA "})
    EXPECT_FALSE(BankUtil::CheckPurpose(code));
  for (const char* code : {"CASH", "bonu", "WHLD", "EPAY", "CORT"})
    EXPECT_TRUE(BankUtil::CheckCategoryPurpose(code)) << code;
  for (const char* code : {"ELEC", "WTER", ""}) EXPECT_FALSE(BankUtil::CheckCategoryPurpose(code));
}

TEST(BankUtil, BicFormats) {
  std::string bic = " deutdeff ";
  EXPECT_EQ(BankUtil::TestBic(bic), 0);
  EXPECT_EQ(bic, "DEUTDEFF");
  bic = "DEUTDEFF50";
  EXPECT_EQ(BankUtil::TestBic(bic), 16);
  bic = "DEUT-EFF";
  EXPECT_EQ(BankUtil::TestBic(bic), 12);
  bic = "COBADEFFXXX";
  EXPECT_EQ(BankUtil::TestBic(bic), 0);
  bool unchecked = false;
  bic = "COBADEFFXXX!";
  EXPECT_TRUE(BankUtil::IsBicFormatOk(bic, unchecked));
  EXPECT_TRUE(unchecked);
  EXPECT_EQ(bic, "COBADEFFXXX");
  bic = " cobadeff ";
  EXPECT_TRUE(BankUtil::IsBicFormatOk(bic, unchecked));
  EXPECT_FALSE(unchecked);
  bic = "";
  EXPECT_FALSE(BankUtil::IsBicFormatOk(bic, unchecked));
  EXPECT_FALSE(unchecked);
  bic = "!";
  EXPECT_FALSE(BankUtil::IsBicFormatOk(bic, unchecked));
}

TEST(BankUtil, CreditorIds) {
  EXPECT_EQ(BankUtil::TestCreditorId("DE98ZZZ09999999999"), 0);
  EXPECT_EQ(BankUtil::TestCreditorId("DE98ABC09999999999"), 0);  // business code left out
  EXPECT_EQ(BankUtil::TestCreditorId("DE98ZZZ09999999998"), 13);
  EXPECT_EQ(BankUtil::TestCreditorId("DE98ZZZ0999999999-"), 12);
  EXPECT_EQ(BankUtil::TestCreditorId(""), 13);
  // Texts of another form are refused before the check digits.
  for (const char* id : {"DE98", "1", "DE98!!!09999999999", "DE98ZZZ0999999999",
                         "DE01ZZZ09999999999", "DE98ZZZ0999999999A"})
    EXPECT_EQ(BankUtil::TestCreditorId(id), 12) << id;
}

}  // namespace
