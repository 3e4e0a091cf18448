// The SEPA files German banks take today (version 3.9: pain.001.001.09 and
// pain.008.001.08 in the banks' subset GBIC_5): every file is checked by a
// separate Xerces parse against the schema files of objects/data/xsd.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "BankUtil.h"
#include "Cp1252.h"
#include "SepaTestSupport.h"
#include "ZelSepaObject.h"

namespace {

using namespace zel;

constexpr Currency kTenEuro = 100000;
const std::string kOwnIban = "DE89370400440532013000";
const std::string kIban = "DE02120300000000202051";
const std::string kCreditorId = "DE98ZZZ09999999999";
const std::string kAddress = "Hauptstraße\t5a\t10115\tBerlin\tDE";

class SepaCurrent : public zeltest::SepaFixture {
 protected:
  void SetUp() override {
    SepaFixture::SetUp();
    ASSERT_EQ(sepa_->SetSepaVersion(39), 39);
  }
  int Address(int role, const std::string& utf8) {
    return sepa_->SepaCommand("ADDRESS", role, 0, 0, Utf8ToCp1252(utf8), "", "");
  }
  int OpenCredit(const std::string& bic = "COBADEFFXXX") {
    return sepa_->OpenCredit("MSG-1", "PMT-1", "Verein e.V.", "", Utf8ToCp1252("Müller & Söhne"),
                             kOwnIban, bic);
  }
  int Credit(const std::string& name, const std::string& bic = "BYLADEM1001") {
    return sepa_->WriteCredit(kTenEuro, Utf8ToCp1252(name), kIban, bic, "", "R-1",
                              Utf8ToCp1252("Rechnung Nr. 7 für Straßenbau"));
  }
  int OpenDebit(int mandant = 1) {
    return sepa_->OpenDebit(mandant, "MSG-7", "Verein e.V.", "", "Verein e.V.", kOwnIban,
                            "COBADEFFXXX", kCreditorId);
  }
  int Debit(int kunde, const std::string& bic = "BYLADEM1001") {
    return sepa_->WriteDebit(kunde, -1, kTenEuro, "Erika Mustermann", kIban, bic, "", "", "Beitrag",
                             "MANDAT-1", "2023-01-15");
  }
  // Closes into a file, expects success and the schema's approval.
  std::string Close(bool debit) {
    const auto file = dir_ / "sepa.xml";
    const int r = debit ? sepa_->CloseDebit(file.string()) : sepa_->CloseCredit(file.string());
    EXPECT_EQ(r, 0) << sepa_->GetLastError();
    EXPECT_EQ(zeltest::SchemaErrors(file, debit ? "008.001.08" : "001.001.09"), 0);
    return zeltest::ReadFile(file);
  }
  static bool Has(const std::string& xml, const std::string& what) {
    return xml.find(what) != std::string::npos;
  }
};

TEST_F(SepaCurrent, NewObjectsWriteTodaysFormat) {
  TZelSepaObject fresh;
  EXPECT_EQ(fresh.SetSepaVersion(0), 39);
  EXPECT_EQ(fresh.SetSepaVersion(-39), 39);  // B2B
  EXPECT_EQ(fresh.SetSepaVersion(38), 39);
  EXPECT_EQ(fresh.SetSepaVersion(27), 27);
}

TEST_F(SepaCurrent, CreditFilesPassTheBanksSchema) {
  struct Case {
    bool instant;
    std::string ownBic, payeeBic, ownAddress, payeeAddress;
  };
  const Case cases[] = {
      {false, "COBADEFFXXX", "BYLADEM1001", "", ""},
      {true, "COBADEFFXXX", "BYLADEM1001", kAddress, ""},
      {false, "", "", "", "\t\t\tWien\tAT"},  // without BIC; town and country only
      {true, "", "BYLADEM1001", kAddress, kAddress},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ownBic + c.payeeAddress);
    ASSERT_EQ(sepa_->SepaCommand("INSTANT", c.instant, 0, 0, "", "", ""), 0);
    ASSERT_EQ(Address(0, c.ownAddress), 0) << sepa_->GetLastError();
    ASSERT_EQ(OpenCredit(c.ownBic), 0) << sepa_->GetLastError();
    ASSERT_EQ(Address(1, c.payeeAddress), 0) << sepa_->GetLastError();
    ASSERT_EQ(Credit("Zoë Çelik", c.payeeBic), 0) << sepa_->GetLastError();
    ASSERT_EQ(Credit("Åsa Øster"), 0);
    const std::string xml = Close(false);
    EXPECT_TRUE(Has(xml, "xmlns=\"urn:iso:std:iso:20022:tech:xsd:pain.001.001.09\""));
    EXPECT_TRUE(Has(xml, "<ReqdExctnDt>\n        <Dt>2024-06-14</Dt>"));
    EXPECT_EQ(Has(xml, "<Cd>INST</Cd>"), c.instant);
    EXPECT_EQ(Has(xml, "<BICFI>COBADEFFXXX</BICFI>"), !c.ownBic.empty());
    EXPECT_EQ(Has(xml, "<Othr>"), c.ownBic.empty());
    EXPECT_FALSE(Has(xml, "<BIC>"));
    EXPECT_EQ(Has(xml, "<StrtNm>Hauptstraße</StrtNm>"), !c.ownAddress.empty());
    EXPECT_EQ(Has(xml, "<TwnNm>"), !c.ownAddress.empty() || !c.payeeAddress.empty());
    // The address belongs to one transaction only.
    EXPECT_TRUE(Has(xml, "<Nm>Asa Oster</Nm>\n        </Cdtr>"));
    EXPECT_TRUE(Has(xml, "<Nm>Müller &amp; Söhne</Nm>"));
    EXPECT_TRUE(Has(xml, "<Nm>Zoe Celik</Nm>"));
    EXPECT_TRUE(Has(xml, "<Ustrd>Rechnung Nr. 7 für Straßenbau</Ustrd>"));
    EXPECT_TRUE(Has(xml, "<ChrgBr>SLEV</ChrgBr>"));
  }
}

TEST_F(SepaCurrent, DebitFilesPassTheBanksSchema) {
  for (const int version : {39, -39}) {
    SCOPED_TRACE(version);
    ASSERT_EQ(sepa_->SetSepaVersion(version), 39);
    ASSERT_EQ(Address(0, kAddress), 0);
    ASSERT_EQ(OpenDebit(0), 0) << sepa_->GetLastError();
    ASSERT_EQ(Address(1, "Weg 1\t\t80331\tMünchen\tDE"), 0);
    ASSERT_EQ(sepa_->WriteDebit(0, 1, kTenEuro, "Erika Mustermann", kIban, "", "", "", "Beitrag",
                                "MANDAT-1", "2023-01-15"),
              0)
        << sepa_->GetLastError();
    const std::string xml = Close(true);
    EXPECT_TRUE(Has(xml, version < 0 ? "<Cd>B2B</Cd>" : "<Cd>CORE</Cd>"));
    EXPECT_TRUE(Has(xml, "<TwnNm>München</TwnNm>"));
    EXPECT_TRUE(Has(xml, "<BICFI>COBADEFFXXX</BICFI>"));
  }
  // The amendment of a changed account in today's format.
  ASSERT_EQ(sepa_->SetSepaVersion(39), 39);
  ASSERT_EQ(OpenDebit(), 0);
  ASSERT_EQ(Debit(1), 0);
  Close(true);
  ASSERT_EQ(sepa_->MergeTemp(1), 0);
  ASSERT_EQ(OpenDebit(), 0);
  ASSERT_EQ(sepa_->WriteDebit(1, -1, kTenEuro, "Erika Mustermann", "DE89370400440532013000",
                              "COBADEFFXXX", "", "", "", "MANDAT-1", "2023-01-15"),
            0);
  const std::string xml = Close(true);
  EXPECT_TRUE(Has(xml, "<AmdmntInd>true</AmdmntInd>"));
  EXPECT_TRUE(Has(xml, "<SeqTp>FRST</SeqTp>"));  // another bank: FRST again
}

TEST_F(SepaCurrent, CommandsAndRefusals) {
  struct Case {
    const char* why;
    int code;
    std::string command;
    int par1;
    std::string text;
  };
  const Case cases[] = {
      {"town missing", 160, "ADDRESS", 1, "Weg 1\t\t10115\t\tDE"},
      {"country missing", 160, "ADDRESS", 0, "Weg 1\t\t10115\tBerlin\t"},
      {"country not two letters", 160, "ADDRESS", 0, "\t\t\tBerlin\tDeutschland"},
      {"six fields", 160, "ADDRESS", 0, "a\tb\tc\td\tDE\tf"},
      {"town too long", 160, "ADDRESS", 0, "\t\t\t" + std::string(36, 'x') + "\tDE"},
      {"role", 160, "ADDRESS", 2, ""},
      {"lower-case country", 0, "ADDRESS", 0, "\t\t\tBerlin\tde"},
      {"cleared", 0, "ADDRESS", 0, ""},
      {"COR1 ended in 2017", 87, "SETDDTYPE", 0, "COR1"},
      {"instant", 0, "INSTANT", 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(sepa_->SepaCommand(c.command, c.par1, 0, 0, c.text, "", ""), c.code);
  }
  ASSERT_EQ(OpenCredit(), 0);
  EXPECT_EQ(sepa_->SepaCommand("INSTANT", 0, 0, 0, "", "", ""), 117);
  EXPECT_EQ(Address(0, kAddress), 117);
  EXPECT_EQ(Credit(std::string(71, 'N')), 160);
  EXPECT_EQ(Cp1252ToUtf8(sepa_->GetLastError()), "Name länger als 70 Zeichen");
  EXPECT_EQ(sepa_->WriteCredit(kTenEuro, "N", kIban, "", "", std::string(36, 'R'), ""), 160);
  EXPECT_EQ(sepa_->WriteCredit(kTenEuro, "N", kIban, "", "", "", std::string(141, 'T')), 160);
  sepa_->CloseCredit((dir_ / "x.xml").string());
  // The 2013 formats know neither instant transfers nor structured addresses.
  ASSERT_EQ(sepa_->SetSepaVersion(26), 26);
  EXPECT_EQ(sepa_->SepaCommand("INSTANT", 1, 0, 0, "", "", ""), 87);
  EXPECT_EQ(Address(0, kAddress), 87);
}

TEST_F(SepaCurrent, LettersOfTodaysCharacterSet) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"Zoë Çelik", "Zoe Celik"},
      {"Ångström", "Angström"},  // the umlaut stays, the ring goes
      {"Øster", "Oster"},
      {"Müller & Söhne GmbH", "Müller & Söhne GmbH"},  // umlauts, ß and & stay
      {"Weißenburger Straße", "Weißenburger Straße"},
      {"Œuvre Ærø Þór", "OEuvre AEro THor"},
      {"„Zitat“ – 5 €", "'Zitat' - 5 EUR"},
      {"a\"b<c>#d", "a b c  d"},  // outside the set, nothing fits: blanks
      {"  Name  ", "Name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(Cp1252ToUtf8(BankUtil::ConvertToDkChars(Utf8ToCp1252(c.in))), c.out);
  }
}

// Friday 2024-06-14, 11:00: debits need two bank days (RCUR) or five
// (FRST); the file must reach the bank today.
TEST_F(SepaCurrent, DatesThatDoNotLie) {
  struct Case {
    const char* why;
    std::string manual;          // CALCDUEDATE for all, or none
    std::vector<int> sequences;  // debits; none: one credit transfer
    std::string date, submitBy;  // first block date, submission date
  };
  const Case cases[] = {
      {"FRST and RCUR mixed", "", {1, 2}, "2024-06-21", "2024-06-14"},
      {"RCUR only", "", {2}, "2024-06-18", "2024-06-14"},
      {"past manual date raised", "2024-06-01", {2}, "2024-06-18", "2024-06-14"},
      {"later manual date kept", "2024-07-01", {1, 2}, "2024-07-01", "2024-06-24"},
      {"credit, past date raised", "2024-06-03", {}, "2024-06-14", "2024-06-14"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    if (!c.manual.empty()) {
      ASSERT_EQ(sepa_->SepaCommand("CALCDUEDATE", 0, 2, 0, c.manual, "", ""), 0);
    }
    const bool debit = !c.sequences.empty();
    ASSERT_EQ(debit ? OpenDebit(0) : OpenCredit(), 0);
    for (const int seq : c.sequences)
      ASSERT_EQ(
          sepa_->WriteDebit(0, seq, kTenEuro, "E", kIban, "", "", "", "", "M-1", "2023-01-15"), 0);
    if (!debit) {
      ASSERT_EQ(Credit("E"), 0);
    }
    const std::string xml = Close(debit);
    EXPECT_TRUE(Has(xml, c.date)) << xml;
    EXPECT_EQ(sepa_->GetActualDueDate(), c.submitBy);
    sepa_->SepaCommand("CALCDUEDATE", 0, 0, 0, "2024-06-14", "", "");  // manual dates off
  }
}

// Debits reach the history only with a saved file, and a new file waits
// until the last one's debits are merged or dropped.
TEST_F(SepaCurrent, PendingDebitsOnlyWithASavedFile) {
  ASSERT_EQ(OpenDebit(), 0);
  ASSERT_EQ(Debit(1), 0);
  std::filesystem::create_symlink(dir_ / "elsewhere", dir_ / "link.xml");
  EXPECT_EQ(sepa_->CloseDebit((dir_ / "link.xml").string()), 29);  // not saved
  EXPECT_EQ(sepa_->GetTempList(), "1:0");
  ASSERT_EQ(OpenDebit(), 0);
  ASSERT_EQ(Debit(1), 0);
  Close(true);
  EXPECT_EQ(sepa_->GetTempList(), "1:1");
  EXPECT_EQ(OpenDebit(), 183);
  EXPECT_NE(Cp1252ToUtf8(sepa_->GetLastError()).find("zel mandates merge --mandant 1"),
            std::string::npos);
  EXPECT_EQ(OpenDebit(2), 0);  // another history is free
  sepa_->CloseDebit((dir_ / "other.xml").string());
  ASSERT_EQ(sepa_->MergeTemp(1), 0);
  ASSERT_EQ(OpenDebit(), 0);
  ASSERT_EQ(Debit(1), 0);
  EXPECT_TRUE(Has(Close(true), "<SeqTp>RCUR</SeqTp>"));
}

// Faults of the history: a damaged or foreign file is named with its
// record and changes nothing; a killed debit run leaves nothing pending;
// 8- and 11-character BICs of one bank are the same bank; imports are
// sorted; the files stay private.
TEST_F(SepaCurrent, HistoryFaults) {
  const std::string mand = sepa_->GetDbDirectory() + "/mand1.db";
  const auto store = [&](const std::string& iban, const std::string& bic) {
    TSepaRecord r;
    std::memset(&r, 0, sizeof r);
    r.Kunde = 1;
    r.MandatRef.Assign("MANDAT-1");
    r.CreditorName.Assign("Verein e.V.");
    r.CreditorId.Assign(kCreditorId);
    r.Iban.Assign(iban);
    r.Bic.Assign(bic);
    r.SeqTp = 2;
    std::ofstream(mand, std::ios::binary).write(reinterpret_cast<const char*>(&r), sizeof r);
  };
  struct Case {
    const char* why;
    std::string iban, bic, debitBic;
    int code;
    std::string sequence;  // in the file, when written
  };
  const Case cases[] = {
      {"control byte in the IBAN", "DE02\x01" + kIban.substr(5), "BYLADEM1001", "BYLADEM1001", 13,
       ""},
      {"BIC of 8 and of 11 characters", kIban, "BELADEBEXXX", "BELADEBE", 0, "RCUR"},
      {"another bank", kIban, "BELADEBEXXX", "BYLADEM1001", 0, "FRST"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    store(c.iban, c.bic);
    ASSERT_EQ(OpenDebit(), 0) << sepa_->GetLastError();
    EXPECT_EQ(Debit(1, c.debitBic), c.code);
    if (c.code != 0) {
      EXPECT_NE(sepa_->GetLastError().find("mand1.db ist besch"), std::string::npos);
      EXPECT_NE(sepa_->GetLastError().find("Satz 1 (Kunde 1)"), std::string::npos);
      sepa_->CloseDebit((dir_ / "none.xml").string());
      continue;
    }
    EXPECT_TRUE(Has(Close(true), "<SeqTp>" + c.sequence + "</SeqTp>"));
    ASSERT_EQ(sepa_->DeleteTemp(1), 0);
  }
  // A merge of a damaged history changes nothing.
  store("DE02\x01" + kIban.substr(5), "BYLADEM1001");
  ASSERT_EQ(OpenDebit(), 0);
  ASSERT_EQ(Debit(2), 0);
  Close(true);
  EXPECT_EQ(sepa_->MergeTemp(1), 13);
  EXPECT_EQ(sepa_->GetTempList(), "1:1");
  ASSERT_EQ(sepa_->DeleteTemp(1), 0);
  // A debit run killed before its close leaves nothing pending.
  if (const pid_t child = ::fork(); child == 0) {
    TZelSepaObject writer;
    writer.OpenDebit(1, "M", "I", "", "N", kOwnIban, "COBADEFFXXX", kCreditorId);
    writer.WriteDebit(3, -1, kTenEuro, "N", kIban, "", "", "", "", "M-3", "2023-01-15");
    ::_exit(0);
  } else {
    int status = 0;
    ::waitpid(child, &status, 0);
  }
  EXPECT_EQ(OpenDebit(), 0) << sepa_->GetLastError();
  sepa_->CloseDebit((dir_ / "none.xml").string());
  // Imports are sorted; a customer twice is refused; the files stay private.
  const auto line = [](int kunde) {
    std::string l = std::to_string(kunde) + std::string(10 - std::to_string(kunde).size(), ' ');
    l += std::string("M-") + std::to_string(kunde);
    l.resize(150, ' ');
    l += kIban;
    l.resize(230, ' ');
    return l + "2" + std::string(10, ' ') + "$\r\n";
  };
  const auto import = [&](const std::string& text) {
    std::ofstream(dir_ / "h.txt") << text;
    return sepa_->ImportFromFile(1, (dir_ / "h.txt").string());
  };
  EXPECT_EQ(import(line(9) + line(3) + line(9)), 13);
  EXPECT_EQ(sepa_->ImportFromFile(1, "/dev/zero"), 13);  // endless: refused at once
  EXPECT_NE(sepa_->GetLastError().find("Zeile 1: l"), std::string::npos);
  EXPECT_EQ(import("7\x01\x1b[2J\r\n"), 13);  // control bytes shown, not sent to the terminal
  EXPECT_NE(sepa_->GetLastError().find("7\\x01\\x1B[2J"), std::string::npos)
      << sepa_->GetLastError();
  ASSERT_EQ(import(line(9) + line(3)), 0) << sepa_->GetLastError();
  EXPECT_EQ(sepa_->SepaCommand("GETSEQTP", 1, 3, 0, "M-3", kIban, ""), 2);  // found: RCUR
  EXPECT_EQ(sepa_->SepaCommand("GETSEQTP", 1, 9, 0, "M-9", kIban, ""), 2);
  struct stat st {};
  ASSERT_EQ(::stat(mand.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace
