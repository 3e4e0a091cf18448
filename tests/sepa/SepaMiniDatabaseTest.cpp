// The mandate history files: names, records, export and import, merge, and
// the locks between debit files and merges.

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../TempDir.h"
#include "Cp1252.h"
#include "SepaMiniDatabase.h"

namespace {

using namespace zel;

class MandateDb : public zeltest::TempDirTest {
 protected:
  // Records debits of (customer, sequence type) in database 1.
  void Debits(std::initializer_list<std::pair<int, int>> debits) {
    TSepaMiniDatabase db(dir_.string());
    ASSERT_EQ(db.Open(1, true), 0) << db.LastError();
    for (const auto& [kunde, seq] : debits)
      ASSERT_EQ(db.AppendTemp(kunde,
                              {"M-" + std::to_string(kunde), "Verein", "DE98ZZZ09999999999",
                               "DE02120300000000202051", "BYLADEM1001"},
                              "E2E", seq, EncodeDate(2026, 7, 1)),
                0);
  }
  std::vector<int> Customers() {
    TSepaMiniDatabase db(dir_.string());
    EXPECT_EQ(db.OpenMandReadOnly(1), 0);
    std::vector<int> out;
    const std::string bytes = zeltest::ReadFile(dir_ / "mand1.db");
    for (std::size_t i = 0; i + 256 <= bytes.size(); i += 256) {
      TSepaRecord r;
      std::memcpy(&r, bytes.data() + i, 256);
      out.push_back(r.Kunde);
    }
    return out;
  }
};

TEST_F(MandateDb, FileNames) {
  TSepaMiniDatabase db("/d");
  EXPECT_EQ(db.GetDbFileName(3), "/d/mand3.db");
  EXPECT_EQ(db.GetDbFileName(0), "/d/new0.db");
  EXPECT_EQ(db.GetDbFileName(-3), "/d/temp3.db");
}

// FRST of a new customer is added in order, RCUR replaces, FNAL removes,
// FNAL of an unknown customer changes nothing.
TEST_F(MandateDb, MergeKeepsTheHistorySorted) {
  Debits({{5, 1}, {2, 1}, {9, 1}});
  TSepaMiniDatabase db(dir_.string());
  ASSERT_EQ(db.MergeTemp(1), 0) << db.LastError();
  EXPECT_EQ(Customers(), (std::vector<int>{2, 5, 9}));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "temp1.db"));
  Debits({{5, 2}, {3, 1}, {9, 3}, {7, 3}});
  ASSERT_EQ(db.MergeTemp(1), 0);
  EXPECT_EQ(Customers(), (std::vector<int>{2, 3, 5}));
  TSepaMiniDatabase reader(dir_.string());
  ASSERT_EQ(reader.OpenMandReadOnly(1), 0);
  TSepaRecord r;
  EXPECT_EQ(reader.GetMandRecord(5, r), 2);
  EXPECT_EQ(r.SeqTp, 2);
  EXPECT_EQ(reader.GetMandRecord(4, r), -1);
  // Amendments: a new BIC is "SMNDA" (the IBAN is not compared then).
  TDetailRecord d = reader.GetDetailRecord(
      5, {"M-5", "Verein", "DE98ZZZ09999999999", "DE89370400440532013000", "COBADEFFXXX"});
  EXPECT_EQ(d.Status, detailFoundChanged);
  EXPECT_EQ(d.OrgnlDbtrAgt, "SMNDA");
  EXPECT_EQ(d.OrgnlDbtrAcct, "");
  d = reader.GetDetailRecord(
      5, {"M-6", "Verein", "DE98ZZZ09999999999", "DE89370400440532013000", "BYLADEM1001"});
  EXPECT_EQ(d.OrgnlMndtId, "M-5");
  EXPECT_EQ(d.OrgnlDbtrAcct, "DE02120300000000202051");
}

// While a debit file holds the temporary file, or a reader the mandate
// file, a merge fails with 110 and changes nothing.
TEST_F(MandateDb, MergeWaitsForDebitFilesAndReaders) {
  Debits({{1, 1}});
  TSepaMiniDatabase db(dir_.string());
  ASSERT_EQ(db.MergeTemp(1), 0);
  const std::string before = zeltest::ReadFile(dir_ / "mand1.db");
  TSepaMiniDatabase writer(dir_.string());
  ASSERT_EQ(writer.Open(1, true), 0);
  EXPECT_EQ(db.MergeTemp(1), 110);
  EXPECT_EQ(writer.Close(), 0);
  TSepaMiniDatabase reader(dir_.string());
  ASSERT_EQ(reader.OpenMandReadOnly(1), 0);
  EXPECT_EQ(db.MergeTemp(1), 110);
  EXPECT_EQ(reader.Close(), 6);  // no temporary file was open
  std::filesystem::remove(dir_ / "temp1.db");
  EXPECT_EQ(db.MergeTemp(1), 110);
  EXPECT_EQ(zeltest::ReadFile(dir_ / "mand1.db"), before);
  std::filesystem::create_symlink(dir_ / "mand1.db", dir_ / "mand2.db");
  EXPECT_EQ(db.OpenMandReadOnly(2), 110);
}

TEST_F(MandateDb, ExportAndImport) {
  Debits({{42, 1}});
  TSepaMiniDatabase db(dir_.string());
  ASSERT_EQ(db.MergeTemp(1), 0);
  ASSERT_EQ(db.ExportToFile(1, (dir_ / "m.txt").string()), 0) << db.LastError();
  const std::string text = zeltest::ReadFile(dir_ / "m.txt");
  ASSERT_EQ(text.size(), 244u);
  EXPECT_EQ(text.substr(0, 15), "42        M-42 ");
  EXPECT_EQ(text.substr(230, 14), "12026-07-01$\r\n");
  const std::string before = zeltest::ReadFile(dir_ / "mand1.db");
  ASSERT_EQ(db.ImportFromFile(1, (dir_ / "m.txt").string()), 0) << db.LastError();
  EXPECT_EQ(zeltest::ReadFile(dir_ / "mand1.db"), before);
  // A bad line stops the import before any file is touched.
  const std::string good = text.substr(0, 242);
  struct Case {
    std::string line, message;
  };
  const Case cases[] = {
      {good.substr(1), "Zeilenlänge ist nicht 242 Zeichen"},
      {good + " ", "Zeilenlänge ist nicht 242 Zeichen"},
      {good.substr(0, 241) + "x", "Fehlendes Zeilenendezeichen '$'"},
      {"abc       " + good.substr(10), "Ungültige Kundennummer abc"},
      {good.substr(0, 230) + "7" + good.substr(231), "Ungültiger Sequenztyp: 7 (muss"},
  };
  for (const Case& c : cases) {
    std::ofstream(dir_ / "bad.txt", std::ios::binary) << good << "\r\n" << c.line << "\r\n";
    EXPECT_EQ(db.ImportFromFile(1, (dir_ / "bad.txt").string()), 13);
    EXPECT_EQ(Cp1252ToUtf8(db.LastError()).rfind("Zeile 2: " + c.message, 0), 0u) << db.LastError();
    EXPECT_EQ(zeltest::ReadFile(dir_ / "mand1.db"), before);
  }
  EXPECT_EQ(db.ImportFromFile(1, (dir_ / "fehlt.txt").string()), 2);
  EXPECT_EQ(db.ExportToFile(7, (dir_ / "x.txt").string()), 2);
}

TEST_F(MandateDb, ListTemp) {
  Debits({{1, 1}, {2, 1}});
  EXPECT_EQ(TSepaMiniDatabase(dir_.string()).ListTemp(), "1:2");
  EXPECT_EQ(TSepaMiniDatabase((dir_ / "fehlt").string()).ListTemp(), "");
}

}  // namespace
