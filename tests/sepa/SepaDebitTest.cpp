// Direct-debit files of the SEPA object with the mandate history: sequence
// types, amendments, the schema of every file, the locks between processes
// and a merge that fails half-way.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "Cp1252.h"
#include "SepaTestSupport.h"
#include "ZelSepaObject.h"

namespace {

using namespace zel;

constexpr Currency kTenEuro = 100000;
const std::string kCreditorId = "DE98ZZZ09999999999";
const std::string kIban = "DE02120300000000202051";

class SepaDebit : public zeltest::SepaFixture {
 protected:
  int Open(int mandant = 1) {
    return sepa_->OpenDebit(mandant, "MSG-7", "Verein e.V.", "", "Verein e.V.",
                            "DE89370400440532013000", "COBADEFFXXX", kCreditorId);
  }
  int Debit(int kunde, int seq, const std::string& iban = kIban,
            const std::string& bic = "BYLADEM1001", const std::string& ref = "MANDAT-1") {
    return sepa_->WriteDebit(kunde, seq, kTenEuro, "Erika Mustermann", iban, bic, "", "", "Beitrag",
                             ref, "2023-01-15");
  }
  // Closes into a file, expects success and the schema's approval.
  std::string Close(const std::string& pain = "008.002.02") {
    const auto file = dir_ / "sdd.xml";
    EXPECT_EQ(sepa_->CloseDebit(file.string()), 0) << sepa_->GetLastError();
    EXPECT_EQ(zeltest::SchemaErrors(file, pain), 0);
    return zeltest::ReadFile(file);
  }
  // One debit file with one automatic debit of customer 1, then merged.
  std::string OneFile(int seq, const std::string& iban = kIban,
                      const std::string& bic = "BYLADEM1001", const std::string& ref = "MANDAT-1") {
    EXPECT_EQ(Open(), 0) << sepa_->GetLastError();
    EXPECT_EQ(Debit(1, seq, iban, bic, ref), 0) << sepa_->GetLastError();
    const std::string xml = Close();
    sepa_->MergeTemp(1);
    return xml;
  }
  static bool Has(const std::string& xml, const std::string& what) {
    return xml.find(what) != std::string::npos;
  }
};

TEST_F(SepaDebit, TypesAndVersionsPassTheirSchema) {
  struct Case {
    int version;
    const char* type;
    const char* pain;
  };
  for (const Case& c : {Case{26, "CORE", "008.002.02"}, Case{25, "B2B", "008.002.02"},
                        Case{27, "COR1", "008.003.02"}, Case{27, "CORE", "008.003.02"}}) {
    SCOPED_TRACE(c.type);
    sepa_->SetSepaVersion(c.version);
    ASSERT_EQ(sepa_->SepaCommand("SETDDTYPE", 0, 0, 0, c.type, "", ""), 0);
    ASSERT_EQ(Open(0), 0);
    ASSERT_EQ(Debit(0, 1), 0) << sepa_->GetLastError();
    ASSERT_EQ(Debit(0, 2, kIban, c.version == 27 ? "" : "BYLADEM1001"), 0);
    const std::string xml = Close(c.pain);
    EXPECT_TRUE(Has(xml, std::string("<Cd>") + c.type + "</Cd>"));
    EXPECT_TRUE(Has(xml, std::string("pain.") + c.pain + ".xsd"));
    EXPECT_TRUE(Has(xml, "<PmtInfId>MSG-7-FRST</PmtInfId>"));
    EXPECT_TRUE(Has(xml, "<PmtInfId>MSG-7-RCUR</PmtInfId>"));
  }
}

// New customer FRST, after the merge RCUR; a changed reference, account or
// bank is an amendment; a final debit removes the customer.
TEST_F(SepaDebit, SequenceTypesFromTheHistory) {
  std::string xml = OneFile(-1);
  EXPECT_TRUE(Has(xml, "<SeqTp>FRST</SeqTp>"));
  EXPECT_TRUE(Has(xml, "<AmdmntInd>false</AmdmntInd>"));
  xml = OneFile(-1);
  EXPECT_TRUE(Has(xml, "<SeqTp>RCUR</SeqTp>"));
  xml = OneFile(-1, kIban, "BYLADEM1001", "MANDAT-2");
  EXPECT_TRUE(Has(xml, "<SeqTp>RCUR</SeqTp>"));
  EXPECT_TRUE(Has(xml, "<OrgnlMndtId>MANDAT-1</OrgnlMndtId>"));
  xml = OneFile(-1, "DE12500105170648489890", "BYLADEM1001", "MANDAT-2");
  EXPECT_TRUE(Has(xml, "<AmdmntInd>true</AmdmntInd>"));
  EXPECT_TRUE(Has(xml, "<OrgnlDbtrAcct>")) << xml;
  EXPECT_EQ(
      sepa_->SepaCommand("GETSEQTP", 1, 1, 0, "MANDAT-2", "DE12500105170648489890", "BYLADEM1001"),
      2);
  EXPECT_EQ(
      sepa_->SepaCommand("GETSEQTP", 1, 1, 1, "MANDAT-2", "DE12500105170648489890", "BYLADEM1001"),
      3);
  xml = OneFile(-2, kIban, "COBADEFFXXX", "MANDAT-2");  // another bank: FRST even when final
  EXPECT_TRUE(Has(xml, "<SeqTp>FRST</SeqTp>"));
  EXPECT_TRUE(Has(xml, "<Id>SMNDA</Id>"));
  EXPECT_FALSE(Has(xml, "<OrgnlDbtrAcct>"));
  OneFile(3, kIban, "COBADEFFXXX", "MANDAT-2");
  EXPECT_EQ(sepa_->SepaCommand("GETSEQTP", 1, 1, 0, "", "", ""), 1);  // gone
  EXPECT_EQ(sepa_->SepaCommand("GETSEQTP", 0, 1, 0, "", "", ""), 87);
  // A final debit of an unknown customer is a one-off and is not recorded.
  xml = OneFile(-2);
  EXPECT_TRUE(Has(xml, "<SeqTp>OOFF</SeqTp>"));
  EXPECT_EQ(sepa_->GetTempList(), "");
}

TEST_F(SepaDebit, Refusals) {
  ASSERT_EQ(Open(0), 0);
  EXPECT_EQ(Debit(0, 4), 160);
  EXPECT_EQ(sepa_->GetLastError(), "SeqTp muss zwischen -2 und +3 liegen (siehe Dokumentation)");
  EXPECT_EQ(Debit(0, -3), 160);
  EXPECT_EQ(Debit(5, 2), 160);
  EXPECT_EQ(Cp1252ToUtf8(sepa_->GetLastError()),
            "Bei Mandant 0 ohne Automatik muss auch Kunde 0 übergeben werden");
  EXPECT_EQ(Debit(0, -1), 160);
  EXPECT_EQ(sepa_->WriteCredit(kTenEuro, "N", kIban, "", "", "", ""), 117);
  EXPECT_EQ(sepa_->MergeTemp(1), 117);
  EXPECT_EQ(
      sepa_->WriteDebit(0, 2, kTenEuro, "N", kIban, "BYLADEM1001", "", "", "", "M", "2030-01-01"),
      160);
  EXPECT_EQ(Debit(0, 2, kIban, "BYLADEM1001", std::string(36, 'R')), 160);  // never cut
  EXPECT_EQ(Debit(0, 2, kIban, "BYLADEM1001", std::string(35, 'R')), 0);
  EXPECT_TRUE(Has(Close(), "<MndtId>" + std::string(35, 'R') + "</MndtId>"));
  ASSERT_EQ(sepa_->OpenCredit("M", "P", "I", "", "N", kIban, "BYLADEM1001"), 0);
  EXPECT_EQ(Debit(0, 2), 117);
  EXPECT_EQ(sepa_->CloseDebit("x"), 117);
  EXPECT_EQ(sepa_->DeleteTemp(-1), 2);
  EXPECT_NE(sepa_->GetLastError().find("/temp-1.db existiert nicht"), std::string::npos);
  EXPECT_EQ(sepa_->SetDbDirectory("/proc/kein/verzeichnis"), 82);
  EXPECT_EQ(sepa_->TestDbDirectory(), 0);
}

// A debit file of another process holds the temporary file: a debit file
// of the same number answers 110 but stays open for debits that need no
// history, and no merge runs.
TEST_F(SepaDebit, LocksBetweenProcesses) {
  int ready[2], done[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(done), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    TZelSepaObject writer;
    char c =
        writer.OpenDebit(1, "M", "I", "", "N", kIban, "BYLADEM1001", kCreditorId) == 0 ? 'y' : 'n';
    [[maybe_unused]] auto w = ::write(ready[1], &c, 1);
    [[maybe_unused]] auto r = ::read(done[0], &c, 1);
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  TZelSepaObject other;
  EXPECT_EQ(other.OpenDebit(1, "M", "I", "", "N", kIban, "BYLADEM1001", kCreditorId), 110);
  EXPECT_EQ(
      other.WriteDebit(3, 2, kTenEuro, "N", kIban, "BYLADEM1001", "", "", "", "M", "2023-01-01"),
      6);  // not written: it could not be recorded
  EXPECT_EQ(
      other.WriteDebit(0, 0, kTenEuro, "N", kIban, "BYLADEM1001", "", "", "", "M", "2023-01-01"),
      0);  // a one-off debit needs no history
  EXPECT_EQ(other.CloseDebit((dir_ / "x.xml").string()), 0);
  EXPECT_EQ(other.MergeTemp(1), 110);
  ASSERT_EQ(::write(done[1], "x", 1), 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(other.MergeTemp(1), 0) << other.GetLastError();
}

// A merge whose new history cannot be written in full (a file size limit
// in a child process) leaves the old history and the pending debits.
TEST_F(SepaDebit, FailedMergeKeepsTheHistory) {
  OneFile(1);
  ASSERT_EQ(Open(), 0);
  for (int k = 2; k <= 40; ++k) ASSERT_EQ(Debit(k, 1), 0);
  Close();
  const auto mand = dir_ / "Brenk/Zelvaro/SEPA/mand1.db";
  const std::string before = zeltest::ReadFile(mand);
  const pid_t child = ::fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::_exit(TZelSepaObject().MergeTemp(1));
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 29);
  EXPECT_EQ(zeltest::ReadFile(mand), before);
  EXPECT_EQ(sepa_->GetTempList(), "1:39");
  EXPECT_EQ(sepa_->MergeTemp(1), 0);
  EXPECT_EQ(zeltest::ReadFile(mand).size(), 40u * 256);
}

}  // namespace
