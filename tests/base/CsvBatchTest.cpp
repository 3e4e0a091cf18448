// The batch check of text files: a cancelled run leaves the old output, the
// count text of one connection, report and append mode on the same codes.

#include <gtest/gtest.h>

#include <fstream>

#include "Csv.h"
#include "PackageFixture.h"

namespace {

using namespace zeltest;

class CsvBatch : public ActivePackage {
 protected:
  zel::TCsvBatchResult Run(const std::string& text, bool append,
                           std::function<bool(std::uint64_t)> progress = {}) {
    std::ofstream(data_ / "k.csv", std::ios::binary) << text;
    auto p = zel::TProxyZelProbeObject::Create("ZelProbeObject");
    zel::TCsvBatch job;
    job.input = (data_ / "k.csv").string();
    job.blzColumn = 1;
    job.ktoColumn = 2;
    job.append = append;
    job.progress = std::move(progress);
    return zel::CsvBatchCheck(*p, job);
  }
};

TEST_F(CsvBatch, CancelKeepsTheOldOutput) {
  std::ofstream(data_ / "k.out") << "alt";
  const auto r = Run("37040044,532013100\n", false, [](std::uint64_t) { return false; });
  EXPECT_EQ(r.status, zel::TCsvBatchResult::kCancelled);
  EXPECT_EQ(Read(data_ / "k.out"), "alt");
}

// Code 3 (no check digits) passes in both modes; 13 is an error in both;
// -1 (unknown bank) gets no IBAN.
TEST_F(CsvBatch, ReportAndAppendMode) {
  const std::string rows = "10000000,1\n37040044,532013100\n";
  auto r = Run(rows, false);
  EXPECT_EQ(r.checked, 2);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(Read(data_ / "k.out").rfind("Zeile: \"37040044\",\"532013100\"\r\n", 0), 0u);
  r = Run(rows, true);
  EXPECT_EQ(r.errors, 1);
  EXPECT_EQ(Read(data_ / "k.out"),
            "\"10000000\",\"1\",\"3\",\"DE50100000000000000001\",\"MARKDEF1100\"\r\n"
            "\"37040044\",\"532013100\",\"13\",\"\",\"\"\r\n");
  r = Run("0,1\n,\n37040044,532013000\n", false);
  EXPECT_EQ(r.checked, 1);  // "0" and empty fields are skipped
  EXPECT_EQ(r.errors, 0);
}

// The reader: quotes may hold separators and line breaks and never reach a
// field, a trailing separator gives an empty field, CR LF and a byte-order
// mark are dropped, and a record is written back with the separator met.
TEST_F(CsvBatch, ReaderRecords) {
  struct Case {
    std::string text;
    char separator;
    std::vector<std::string> lines;  // GetLine of each record
  };
  const Case cases[] = {
      {"a,b,\r\n\n x ;\"y\"\n", 0, {"\"a\",\"b\",\"\"", "", "\"x\";\"y\""}},
      {"\"Name\nzwei\";1\n\"\"\"q\";2", ';', {"\"Name zwei\";\"1\"", "\"q\";\"2\""}},
      {"\xEF\xBB\xBF"
       "1\t2\n",
       '\t',
       {"\"1\"\t\"2\""}},
      {"\"offen\n", ',', {"\"offen\""}},  // quotes never closed: the file ends the record
  };
  for (const Case& c : cases) {
    std::ofstream(data_ / "r.csv", std::ios::binary) << c.text;
    zel::TCSV csv((data_ / "r.csv").string(), c.separator);
    std::vector<std::string> lines;
    for (; !csv.AtEnd(); csv.ReadNext()) lines.push_back(csv.GetLine());
    EXPECT_EQ(lines, c.lines) << c.text;
  }
}

}  // namespace
