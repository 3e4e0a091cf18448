// The bank table generator: accepts the Bundesbank layout, refuses malformed
// lines with a message naming the line, and then writes no table.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../TempDir.h"
#include "BankFile.h"
#include "BankRecord.h"
#include "RunTool.h"

namespace {

namespace fs = std::filesystem;

class MkBankTab : public zeltest::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    lines_ = zeltest::ReadLines(ZEL_DEFAULT_BLZ_FILE);
    lines_.resize(40);
  }

  // Runs the generator on the lines; returns its exit status and its messages.
  int Run(const std::vector<std::string>& lines, std::string& messages) {
    {
      std::ofstream os(dir_ / "in.txt", std::ios::binary);
      for (const auto& l : lines) os << l << "\r\n";
    }
    const zeltest::ToolResult r = zeltest::RunTool(
        std::string(ZEL_MKBANKTAB) + " " + (dir_ / "in.txt").string() + " " + out().string());
    messages = r.output;
    return r.status;
  }
  fs::path out() const { return dir_ / "out.bin"; }

  std::vector<std::string> lines_;
};

TEST_F(MkBankTab, WritesOneRecordPerMainOffice) {
  std::string messages;
  ASSERT_EQ(Run(lines_, messages), 0) << messages;
  int mainOffices = 0;
  for (const auto& l : lines_) mainOffices += l[8] == '1';
  EXPECT_EQ(fs::file_size(out()), mainOffices * zel::kBankRecordSize);
}

TEST_F(MkBankTab, SortsMainOfficesOfAnUnsortedFile) {
  std::vector<std::string> reversed(lines_.rbegin(), lines_.rend());
  std::string messages;
  ASSERT_EQ(Run(reversed, messages), 0) << messages;
  std::ifstream in(out(), std::ios::binary);
  std::uint32_t prev = 0;
  zel::TBankRecord r;
  while (in.read(reinterpret_cast<char*>(&r), sizeof r)) {
    EXPECT_LT(prev, +r.Blz);
    prev = r.Blz;
  }
}

TEST_F(MkBankTab, RefusesMalformedLines) {
  struct Case {
    const char* what;
    std::size_t column;  // 1-based column to overwrite, 0 = cut the line
    const char* text;
  };
  const Case cases[] = {
      {"short line", 0, ""},
      {"letter in bank code", 3, "X"},
      {"bank code below range", 1, "0"},
      {"feature digit", 9, "3"},
      {"postcode", 70, "a"},
      {"PAN", 136, "x"},
      {"BIC", 141, "-"},
      {"method code", 151, "Z"},
      {"method code second character", 152, "A"},
      {"change code", 159, "X"},
      {"deletion flag", 160, "2"},
      {"successor", 165, " "},
      {"IBAN rule", 170, "/"},
  };
  const std::size_t victim = 7;  // line 8 of the file
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> lines = lines_;
    if (c.column == 0)
      lines[victim].resize(100);
    else
      lines[victim].replace(c.column - 1, 1, c.text);
    std::ofstream(out()) << "old table";
    std::string messages;
    EXPECT_EQ(Run(lines, messages), 1);
    EXPECT_NE(messages.find("in.txt:8:"), std::string::npos) << messages;
    EXPECT_FALSE(fs::exists(out()));
  }
}

TEST_F(MkBankTab, RefusesASecondMainOfficeLine) {
  std::vector<std::string> lines = lines_;
  lines.push_back(lines_[0]);
  std::string messages;
  EXPECT_EQ(Run(lines, messages), 1);
  EXPECT_NE(messages.find("in.txt:41:"), std::string::npos) << messages;
  EXPECT_FALSE(fs::exists(out()));
}

TEST_F(MkBankTab, RefusesAFileWithoutBanks) {
  std::string messages;
  EXPECT_EQ(Run({}, messages), 1);
  EXPECT_FALSE(fs::exists(out()));
}

TEST(MethodNumber, TwoCharacterCodes) {
  EXPECT_EQ(zel::MethodNumber("00"), 0);
  EXPECT_EQ(zel::MethodNumber("99"), 99);
  EXPECT_EQ(zel::MethodNumber("A0"), 100);
  EXPECT_EQ(zel::MethodNumber("A9"), 109);
  EXPECT_EQ(zel::MethodNumber("B0"), 110);
  EXPECT_EQ(zel::MethodNumber("C0"), 120);
  EXPECT_EQ(zel::MethodNumber("D0"), 130);
  EXPECT_EQ(zel::MethodNumber("E1"), 141);
  EXPECT_EQ(zel::MethodNumber("E2"), 142);
  EXPECT_EQ(zel::MethodNumber("E4"), 144);
  EXPECT_EQ(zel::MethodNumber("a1"), -1);
  EXPECT_EQ(zel::MethodNumber("1"), -1);
  EXPECT_EQ(zel::MethodNumber("1A"), -1);
}

}  // namespace
