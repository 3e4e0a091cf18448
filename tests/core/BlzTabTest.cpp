#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "../TempDir.h"
#include "BankFile.h"
#include "BlzTab.h"
#include "RunTool.h"

namespace {

using namespace zel;
using zeltest::Field;

TEST(BlzTab, CountEqualsMainOfficeLines) {
  EXPECT_EQ(GetBankAnzahl(),
            static_cast<int>(zeltest::MainOfficeLines(ZEL_DEFAULT_BLZ_FILE).size()));
}

TEST(BlzTab, EveryBankOfTheSourceFileIsFoundWithItsFields) {
  const auto lines = zeltest::MainOfficeLines(ZEL_DEFAULT_BLZ_FILE);
  ASSERT_GT(lines.size(), 3000u);
  for (const std::string& line : lines) {
    const std::string blz = line.substr(0, 8);
    SCOPED_TRACE(blz);
    const int index = GetBankIndexByString(blz);
    ASSERT_GE(index, 1);
    EXPECT_EQ(GetBankIndexByInteger(static_cast<std::uint32_t>(std::stoul(blz))), index);
    TBankRecord r;
    GetBankByIndex(index, r);
    EXPECT_EQ(+r.Blz, std::stoul(blz));
    EXPECT_EQ(r.Name58.View(), Field(line, 10, 67));
    EXPECT_EQ(+r.Plz, std::stoul(Field(line, 68, 72)));
    EXPECT_EQ(r.Ort.View(), Field(line, 73, 107));
    EXPECT_EQ(r.Name27.View(), Field(line, 108, 134));
    const std::string pan = Field(line, 135, 139);
    EXPECT_EQ(+r.Pan, pan.empty() ? 0u : std::stoul(pan));
    EXPECT_EQ(r.Bic.View(), Field(line, 140, 150));
    EXPECT_EQ(+r.Rule, MethodNumber(Field(line, 151, 152)));
    EXPECT_EQ(+r.RecordNo, std::stoul(Field(line, 153, 158)));
    EXPECT_EQ(+r.ChangeFlag, line[158]);
    EXPECT_EQ(+r.DeletionFlag, line[159] - '0');
    EXPECT_EQ(+r.SuccessorBlz, std::stoul(Field(line, 161, 168)));
    EXPECT_EQ(r.Name20.View(), Field(line, 108, 127));
    EXPECT_EQ(+r.IbanRule, std::stoul(Field(line, 169, 172)));
    EXPECT_EQ(+r.IbanRuleVersion, std::stoul(Field(line, 173, 174)));
  }
}

TEST(BlzTab, RecordsAreStrictlyAscending) {
  TBankRecord prev, cur;
  GetBankByIndex(1, prev);
  for (int i = 2; i <= GetBankAnzahl(); ++i, prev = cur) {
    GetBankByIndex(i, cur);
    ASSERT_LT(+prev.Blz, +cur.Blz) << "index " << i;
  }
}

TEST(BlzTab, FirstAndLastRecord) {
  EXPECT_EQ(GetBankIndexByString("10000000"), 1);
  TBankRecord last;
  GetBankByIndex(GetBankAnzahl(), last);
  EXPECT_EQ(GetBankIndexByString(std::to_string(last.Blz)), GetBankAnzahl());
}

TEST(BlzTab, TextForms) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"10000000", 1},
      {" 10000000", 1},
      {"+10000000", 1},
      {"9999999", -1},
      {"90000000", -1},
      {"1000000A", -1},
      {"10000000 ", -1},
      {"", -1},
      {"-10000000", -1},
      {"+", -1},
      {"99999999999999999999", -1},
      {"1e7", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(GetBankIndexByString(c.text), c.expected) << c.text;
}

TEST(BlzTab, CodesBetweenAndBeyondRecordsAreNotFound) {
  int gaps = 0;
  TBankRecord a, b;
  for (int i = 1; i < GetBankAnzahl(); ++i) {
    GetBankByIndex(i, a);
    GetBankByIndex(i + 1, b);
    if (b.Blz - a.Blz < 2) continue;
    ++gaps;
    EXPECT_EQ(GetBankIndexByInteger(a.Blz + 1), -1) << a.Blz + 1;
    EXPECT_EQ(GetBankIndexByInteger(b.Blz - 1), -1) << b.Blz - 1;
  }
  EXPECT_GT(gaps, 1000);
  // The search's own sentinels and codes beyond them are not records.
  for (std::uint32_t code : {0u, 1u, 9999999u, 99999998u, 99999999u, 100000000u, 4294967295u})
    EXPECT_EQ(GetBankIndexByInteger(code), -1) << code;
}

TEST(BlzTab, OutOfRangeIndexGivesZeroRecord) {
  const TBankRecord zero{};
  for (int index : {0, -1, GetBankAnzahl() + 1, 1 << 30}) {
    TBankRecord r;
    std::memset(&r, 0xAB, sizeof r);
    GetBankByIndex(index, r);
    EXPECT_EQ(std::memcmp(&r, &zero, sizeof r), 0) << index;
  }
}

TEST(BlzTab, BlzByPan) {
  const std::string bundesbank = GetBlzByPan("20100");
  EXPECT_EQ(bundesbank.substr(0, 8), "10000000");
  for (std::size_t i = 8; i < bundesbank.size(); i += 9) EXPECT_EQ(bundesbank[i], '+');
  EXPECT_EQ(GetBlzByPan("kein"), "");
  EXPECT_EQ(GetBlzByPan("-5"), "");
  EXPECT_EQ(GetBlzByPan("99999"), "");
  // "0" lists every bank without a PAN, in table order.
  const std::string none = GetBlzByPan("0");
  int count = 0;
  TBankRecord r;
  for (int i = 1; i <= GetBankAnzahl(); ++i) {
    GetBankByIndex(i, r);
    if (r.Pan == 0) ++count;
  }
  EXPECT_EQ(static_cast<int>((none.size() + 1) / 9), count);
}

}  // namespace

namespace index_walk {

class BankIndex : public zeltest::TempDirTest {};

// The index and the halving search give the same answer for every code of
// both vintages, their neighbours, and the edges of the code range.
TEST_F(BankIndex, AgreesWithTheHalvingSearchOnBothVintages) {
  for (const char* file : {ZEL_DEFAULT_BLZ_FILE, ZEL_OLDER_BLZ_FILE}) {
    const std::string bin = (dir_ / "bank.bin").string();
    const zeltest::ToolResult r =
        zeltest::RunTool(std::string(ZEL_MKBANKTAB) + " " + file + " " + bin);
    ASSERT_EQ(r.status, 0) << r.output;
    std::ifstream in(bin, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    const zel::TRecordTable t{reinterpret_cast<const std::byte*>(bytes.data()),
                              static_cast<int>(bytes.size() / zel::kBankRecordSize),
                              zel::kBankRecordSize};
    ASSERT_GT(t.count, 3000);
    const std::string image = zel::TBankIndex::Build(t);
    const zel::TBankIndex index(std::as_bytes(std::span(image.data(), image.size())));
    ASSERT_EQ(index.Count(), t.count);
    std::vector<std::uint32_t> probes = {0, 1, 9999999, 10000000, 89999999, 90000000, 99999999};
    for (int i = 1; i <= t.count; ++i) {
      zel::TBankRecord rec;
      std::memcpy(&rec, t.At(i), sizeof rec);
      probes.insert(probes.end(), {rec.Blz - 1, rec.Blz, rec.Blz + 1});
      const zel::TBankState st = index.State(i);
      ASSERT_TRUE(st.Rule == rec.Rule && st.ChangeFlag == rec.ChangeFlag &&
                  st.DeletionFlag == rec.DeletionFlag && st.SuccessorBlz == rec.SuccessorBlz)
          << file << " " << rec.Blz;
    }
    for (const std::uint32_t code : probes)
      ASSERT_EQ(index.Find(code), zel::HalvingIndexOf(t, code)) << file << " " << code;
    // An image of the wrong size is no index: it finds nothing.
    const zel::TBankIndex cut(std::as_bytes(std::span(image.data(), image.size() - 1)));
    EXPECT_EQ(cut.Find(10000000), -1);
    EXPECT_EQ(cut.Count(), 0);
  }
}

}  // namespace index_walk
