// The SCL directory table and its generator.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "../TempDir.h"
#include "../core/BankFile.h"
#include "../core/RunTool.h"
#include "SclTab.h"

namespace {

using namespace zel;
namespace fs = std::filesystem;

TEST(SclTab, FirstAndLastRecord) {
  TSclRecord r;
  EXPECT_EQ(GetSclIndexByBic("AABAFI22TMS"), 1);
  GetSclByIndex(1, r);
  EXPECT_EQ(r.Bic.View(), "AABAFI22TMS");
  EXPECT_EQ(r.Name.View(), "BANK OF ALAND PLC");
  EXPECT_EQ(+r.Sct, 1);
  EXPECT_EQ(+r.Sdd, 1);
  EXPECT_EQ(+r.B2b, 0);
  EXPECT_EQ(+r.Cor1, 0);
  const int n = GetSclCount();
  GetSclByIndex(n, r);
  EXPECT_EQ(r.Bic.View(), "ZWLBNL21XXX");
  EXPECT_EQ(GetSclIndexByBic("ZWLBNL21XXX"), n);
}

TEST(SclTab, OutsideTheTable) {
  const TSclRecord zero{};
  for (int index : {0, -5, GetSclCount() + 1}) {
    TSclRecord r;
    std::memset(&r, 0x5A, sizeof r);
    GetSclByIndex(index, r);
    EXPECT_EQ(std::memcmp(&r, &zero, sizeof r), 0) << index;
  }
  for (const char* bic : {"AABAFI22", "COBADEFF", "", "AAAAAAAAAAA", "ZZZZZZZZZZZ", "cobadeffxxx",
                          "COBADEFFXXXX", "\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff",
                          "\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff"})
    EXPECT_EQ(GetSclIndexByBic(bic), 0) << bic;
}

// Every BIC of the source file is found, with its name and flags.
TEST(SclTab, EveryBicOfTheSourceFile) {
  const auto lines = zeltest::ReadLines(ZEL_SCL_FILE);
  ASSERT_EQ(lines.size(), 48021u);
  EXPECT_EQ(GetSclCount(), 48020);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    const std::size_t a = l.find(';'), b = l.find(';', a + 1);
    const std::string bic = l.substr(0, a), name = l.substr(a + 1, b - a - 1);
    const std::string flags = l.substr(b + 1);  // SCT;SDD;COR1;B2B
    const int index = GetSclIndexByBic(bic);
    ASSERT_GT(index, 0) << bic;
    TSclRecord r;
    GetSclByIndex(index, r);
    EXPECT_EQ(r.Name.View(), name);
    EXPECT_EQ(flags, std::to_string(r.Sct) + ";" + std::to_string(r.Sdd) + ";" +
                         std::to_string(r.Cor1) + ";" + std::to_string(r.B2b));
  }
}

class MkSclTab : public zeltest::TempDirTest {
 protected:
  zeltest::ToolResult Run(const std::string& input) {
    std::ofstream(dir_ / "in.csv", std::ios::binary) << input;
    return zeltest::RunTool(std::string(ZEL_MKSCLTAB) + " " + (dir_ / "in.csv").string() + " " +
                            (dir_ / "out.bin").string());
  }
};

TEST_F(MkSclTab, ReadsTheOfficialForm) {
  const zeltest::ToolResult r =
      zeltest::RunTool(std::string(ZEL_MKSCLTAB) + " " +
                       ZEL_FIXTURES "/scl_directory_2016_12_20.csv " + (dir_ / "out.bin").string());
  ASSERT_EQ(r.status, 0) << r.output;
  // 4,817 rows; 52 institutions are listed both as BIC8 and as BIC11 "XXX".
  EXPECT_EQ(fs::file_size(dir_ / "out.bin"), (4817u - 52) * 128);
  std::ifstream in(dir_ / "out.bin", std::ios::binary);
  TSclRecord rec;
  in.read(reinterpret_cast<char*>(&rec), sizeof rec);
  EXPECT_EQ(rec.Bic.View(), "AABAFI22XXX");  // padded BIC-8 stored with XXX
  EXPECT_EQ(rec.Name.View(), "BANK OF ALAND PLC");
}

TEST_F(MkSclTab, ValidityLineAndSorting) {
  const zeltest::ToolResult r =
      Run("Gueltig ab / valid from 03.02.2025;;;;;;\r\n"
          "BIC;Name;Service SCT;Service SDD;Service COR1;Service B2B;Service SCC\r\n"
          "ZZZZDEFF   ;ZETT BANK   ;1;0;1;0;0\r\n"
          "AAAADEFFXXX;A BANK;0;1;0;1;1\r\n");
  ASSERT_EQ(r.status, 0) << r.output;
  std::ifstream in(dir_ / "out.bin", std::ios::binary);
  TSclRecord a, z;
  in.read(reinterpret_cast<char*>(&a), sizeof a);
  in.read(reinterpret_cast<char*>(&z), sizeof z);
  EXPECT_EQ(a.Bic.View(), "AAAADEFFXXX");
  EXPECT_EQ(a.Name.View(), "A BANK");  // the BIC11 line wins over the BIC8 line
  EXPECT_EQ(+a.Sct, 0);
  EXPECT_EQ(+a.Sdd, 1);
  EXPECT_EQ(+a.B2b, 1);
  EXPECT_EQ(z.Bic.View(), "ZZZZDEFFXXX");
  EXPECT_EQ(z.Name.View(), "ZETT BANK");
  EXPECT_EQ(+z.Sct, 1);
  EXPECT_EQ(+z.Cor1, 1);
  EXPECT_EQ(+z.B2b, 0);
}

TEST_F(MkSclTab, RefusesMalformedLines) {
  const std::string header = "BIC;Name;Service SCT;Service SDD;Service COR1;Service B2B\r\n";
  const std::string good = "AAAADEFFXXX;A BANK;1;1;0;0\r\n";
  const char* bad[] = {
      "AAAADEF;A BANK;1;1;0;0",            // seven characters
      "AAAA-EFFXXX;A BANK;1;1;0;0",        // hyphen
      "BBBBDEFFXXX;B BANK;1;1;0",          // a field missing
      "BBBBDEFFXXX;B BANK;1;2;0;0",        // flag 2
      "BBBBDEFFXXX;B BANK;1;1;0;0;0;0",    // too many fields
      "AAAADEFFXXX;A BANK AGAIN;1;1;0;0",  // listed twice
  };
  for (const char* line : bad) {
    std::ofstream(dir_ / "out.bin") << "old";
    const zeltest::ToolResult r = Run(header + good + line + "\r\n");
    EXPECT_EQ(r.status, 1) << line;
    EXPECT_NE(r.output.find("in.csv:3:"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir_ / "out.bin")) << line;
  }
  const std::string longName(106, 'N');
  EXPECT_EQ(Run(header + "AAAADEFFXXX;" + longName + ";1;1;0;0\r\n").status, 1);
}

}  // namespace
