// Credit-transfer files of the SEPA object: every file written is checked
// against the schema files of objects/data/xsd by a separate Xerces parse.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "Cp1252.h"
#include "SepaTestSupport.h"
#include "ZelSepaObject.h"

namespace {

using namespace zel;

constexpr Currency Euro(double e) { return static_cast<Currency>(e * 10000 + 0.5); }
const std::string kOwnIban = "DE89370400440532013000";
const std::string kIban2 = "DE02120300000000202051";

class SepaCredit : public zeltest::SepaFixture {
 protected:
  int Open(const std::string& bic = "COBADEFFXXX", const std::string& ctgy = "") {
    return sepa_->OpenCredit("MSG-1", "PMT-1", "Initiator GmbH", ctgy,
                             Utf8ToCp1252("Müller & Söhne"), kOwnIban, bic);
  }
  int Write(Currency amount, const std::string& bic = "COBADEFFXXX", const std::string& purp = "",
            const std::string& ref = "REF-1", const std::string& text = "Rechnung 42") {
    return sepa_->WriteCredit(amount, Utf8ToCp1252("Zahlungsempfänger"), kIban2, bic, purp, ref,
                              text);
  }
  // Closes into a file, expects success and the schema's approval.
  std::string Close(const std::string& pain = "001.002.03") {
    const auto file = dir_ / "sct.xml";
    EXPECT_EQ(sepa_->CloseCredit(file.string()), 0) << sepa_->GetLastError();
    EXPECT_EQ(zeltest::SchemaErrors(file, pain), 0);
    return zeltest::ReadFile(file);
  }
  static int Count(const std::string& xml, const std::string& what) {
    int n = 0;
    for (auto p = xml.find(what); p != std::string::npos; p = xml.find(what, p + 1)) ++n;
    return n;
  }
};

TEST_F(SepaCredit, FilesOfEveryVersionPassTheirSchema) {
  struct Case {
    int version;
    std::string pain, ownBic, payeeBic, purpose, text;
  };
  const Case cases[] = {
      {25, "001.002.03", "COBADEFFXXX", "COBADEFFXXX", "", ""},
      {26, "001.002.03", "COBADEFF", "COBADEFFXXX", "SALA", "Gehalt Juni"},
      {27, "001.003.03", "", "", "GDDS", "Rechnung"},
      {27, "001.003.03", "COBADEFFXXX", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    ASSERT_EQ(sepa_->SetSepaVersion(c.version), c.version);
    ASSERT_EQ(Open(c.ownBic, "SALA"), 0) << sepa_->GetLastError();
    ASSERT_EQ(Write(Euro(1), c.payeeBic, c.purpose, "", c.text), 0) << sepa_->GetLastError();
    sepa_->SepaCommand("CALCDUEDATE", 3, 1, 0, "2024-07-01", "", "");
    ASSERT_EQ(Write(Euro(2), c.payeeBic, c.purpose, "R2", c.text), 0) << sepa_->GetLastError();
    const std::string xml = Close(c.pain);
    EXPECT_NE(xml.find("<?xml version=\"1.0\" encoding=\"UTF-8\""), std::string::npos);
    EXPECT_NE(xml.find("xsi:schemaLocation=\"urn:iso:std:iso:20022:tech:xsd:pain." + c.pain +
                       " pain." + c.pain + ".xsd\""),
              std::string::npos);
    EXPECT_EQ(Count(xml, "<PmtInf>"), 2);  // two execution dates
    EXPECT_EQ(Count(xml, "<ReqdExctnDt>2024-07-04</ReqdExctnDt>"), 1);
    EXPECT_EQ(Count(xml, "<Othr>"), c.ownBic.empty() ? 2 : 0);
    EXPECT_EQ(Count(xml, "<RmtInf>"), c.text.empty() ? 0 : 2);
    EXPECT_EQ(Count(xml, "<Purp>"), c.purpose.empty() ? 0 : 2);
    EXPECT_EQ(Count(xml, "<CdtrAgt>"), c.payeeBic.empty() ? 0 : 2);
  }
}

TEST_F(SepaCredit, ContentTotalsAndIds) {
  ASSERT_EQ(Open("COBADEFFXXX!"), 0);
  for (Currency a : {Euro(10), Euro(20.5), Euro(0.05)}) ASSERT_EQ(Write(a, "COBADEFF", "", ""), 0);
  const std::string xml = Close();
  EXPECT_EQ(Count(xml, "<NbOfTxs>3</NbOfTxs>"), 2);  // group header and block
  EXPECT_EQ(Count(xml, "<CtrlSum>30.55</CtrlSum>"), 2);
  EXPECT_EQ(Count(xml, "<PmtInfId>PMT-1</PmtInfId>"), 1);
  EXPECT_EQ(Count(xml, "<EndToEndId>NOTPROVIDED</EndToEndId>"), 3);
  EXPECT_EQ(Count(xml, "<BIC>COBADEFFXXX</BIC>"), 1);  // the own BIC without "!"
  EXPECT_EQ(Count(xml, "<BIC>COBADEFF</BIC>"), 3);
  EXPECT_NE(xml.find("<Nm>Mueller   Soehne</Nm>"), std::string::npos);
  EXPECT_NE(xml.find("<InstdAmt Ccy=\"EUR\">20.50</InstdAmt>"), std::string::npos);
  EXPECT_NE(xml.find("<CreDtTm>2024-06-14T11:00:00</CreDtTm>"), std::string::npos);
}

TEST_F(SepaCredit, ArgumentRefusals) {
  struct Case {
    const char* what;
    std::function<int()> call;
    int code;
    std::string message;
  };
  const Case cases[] = {
      {"close idle", [&] { return sepa_->CloseCredit("x"); }, 29,
       "Vor CloseCredit muss OpenCredit aufgerufen werden"},
      {"write idle", [&] { return Write(Euro(1)); }, 29,
       "Vor WriteCredit muss OpenCredit aufgerufen werden"},
      {"IBAN-only in 2.6", [&] { return Open(""); }, 160,
       "IBAN-only erst ab SEPA-Version 2.7 zugelassen"},
      {"bad BIC", [&] { return Open("COBADE"); }, 160, "BIC hat falsches Format"},
      {"unknown BIC", [&] { return Open("XXXXDEFFXXX"); }, 160,
       "BIC ist nicht im SCL-Directory der Bundesbank enthalten"},
      {"bad IBAN", [&] { return sepa_->OpenCredit("M", "P", "I", "", "N", "DE00123", "COBADEFF"); },
       160, "IBAN ist ungültig"},
      {"empty", [&] { return sepa_->OpenCredit("", "P", "I", "", "N", kOwnIban, "COBADEFF"); }, 160,
       "Leeres Feld nicht zugelassen"},
      {"category", [&] { return Open("COBADEFF", "XXXX"); }, 160,
       "Category Purpose ist ungültig, siehe "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.call(), c.code);
    EXPECT_EQ(Cp1252ToUtf8(sepa_->GetLastError()).rfind(c.message, 0), 0u)
        << Cp1252ToUtf8(sepa_->GetLastError());
  }
  // Verdict 21 for credit transfers: good enough for the own account only.
  ASSERT_EQ(Open("AGESDK21XXX"), 0) << sepa_->GetLastError();
  EXPECT_EQ(Open(), 4);
  EXPECT_EQ(sepa_->SetSepaVersion(27), 26);  // not while open
  EXPECT_EQ(Write(Euro(1), "AGESDK21XXX"), 160);
  EXPECT_EQ(Cp1252ToUtf8(sepa_->GetLastError()), "BIC ist nicht für Überweisungen erreichbar");
  EXPECT_EQ(Write(0), 160);
  EXPECT_EQ(sepa_->GetLastError(), "Leeres Feld nicht zugelassen");
  EXPECT_EQ(Write(-Euro(5)), 160);
  EXPECT_EQ(Write(Euro(1), "COBADEFF", "XXXX"), 160);
  EXPECT_EQ(Write(Euro(1)), 0);
  Close();
}

TEST_F(SepaCredit, SchemaRefusalWritesNothing) {
  const auto file = dir_ / "sct.xml";
  // A name the schema would refuse is refused with the transaction.
  ASSERT_EQ(Open(), 0);
  EXPECT_EQ(sepa_->WriteCredit(Euro(1), std::string(71, 'N'), kIban2, "COBADEFF", "", "", ""), 160);
  EXPECT_EQ(Cp1252ToUtf8(sepa_->GetLastError()), "Name länger als 70 Zeichen");
  ASSERT_EQ(sepa_->WriteCredit(Euro(1), std::string(70, 'N'), kIban2, "COBADEFF", "", "", ""), 0);
  EXPECT_EQ(sepa_->CloseCredit(file.string()), 0);
  // What the schema refuses is never saved.
  TDataModuleSepa doc("001.002.03", "CstmrCdtTrfInitn");
  doc.Append("    <GrpHdr>\n      <MsgId>M</MsgId>\n    </GrpHdr>\n");
  std::string error;
  std::filesystem::remove(file);
  EXPECT_EQ(doc.Save(file.string(), error), 13);
  EXPECT_NE(error.find("Element CstmrCdtTrfInitn/GrpHdr"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(Open(), 0);
  // A failed save keeps an older file and leaves no temporary one.
  std::ofstream(file) << "old";
  ASSERT_EQ(Write(Euro(1)), 0);
  std::filesystem::create_symlink(file, dir_ / "link.xml");
  EXPECT_EQ(sepa_->CloseCredit((dir_ / "link.xml").string()), 29);
  EXPECT_EQ(zeltest::ReadFile(file), "old");
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_)) files += !e.is_directory();
  EXPECT_EQ(files, 2);  // sct.xml and the link, no temporary file
}

TEST_F(SepaCredit, DueDates) {
  EXPECT_EQ(sepa_->GetShortDueDate(), "2024-06-18");
  EXPECT_EQ(sepa_->GetLongDueDate(), "2024-06-21");
  EXPECT_EQ(sepa_->GetActualDueDate(), "2024-06-14");
  Clock::Set(EncodeDate(2024, 6, 14) + 13.0 / 24);
  sepa_->SetBankHour(24);  // ignored, but recalculates
  EXPECT_EQ(sepa_->GetShortDueDate(), "2024-06-19");
  EXPECT_EQ(sepa_->GetLongDueDate(), "2024-06-24");
  EXPECT_EQ(sepa_->GetActualDueDate(), "2024-06-17");
  // Two bank days of lead time: handed in on the Thursday before.
  sepa_->SetBankDays(2, 0, 0);
  ASSERT_EQ(Open(), 0);
  ASSERT_EQ(Write(Euro(1)), 0);
  Close();
  EXPECT_EQ(sepa_->GetActualDueDate(), "2024-06-17");
  // A manual date for one transaction, then the computed one again.
  EXPECT_EQ(sepa_->SepaCommand(" calcduedate ", 0, 1, 0, " 2024-12-24 ", "", ""), 0);
  EXPECT_EQ(sepa_->GetActualDueDate(), "2024-12-27");
  ASSERT_EQ(Open(), 0);
  ASSERT_EQ(Write(Euro(1)), 0);
  ASSERT_EQ(Write(Euro(1)), 0);
  const std::string xml = Close();
  EXPECT_EQ(Count(xml, "<ReqdExctnDt>2024-12-27</ReqdExctnDt>"), 1);
  EXPECT_EQ(Count(xml, "<ReqdExctnDt>2024-06-19</ReqdExctnDt>"), 1);
  EXPECT_EQ(sepa_->GetActualDueDate(), "2024-06-17");  // from the earliest block
  EXPECT_EQ(sepa_->SepaCommand("CALCDUEDATE", -2, 0, 0, "2024-12-27", "", ""), 0);
  EXPECT_EQ(sepa_->GetActualDueDate(), "2024-12-20");
  EXPECT_EQ(sepa_->SepaCommand("CALCDUEDATE", 0, 0, 0, "24.12.2024", "", ""), 160);
  EXPECT_EQ(sepa_->GetLastError(), "Datum ist nicht auswertbar");
  EXPECT_EQ(sepa_->SepaCommand("CALCDUEDATE", 100000, 0, 0, "2024-12-27", "", ""), 160);
}

TEST_F(SepaCredit, VersionsTypesAndState) {
  EXPECT_EQ(sepa_->SetSepaVersion(28), 26);
  EXPECT_EQ(sepa_->SetSepaVersion(24), 26);
  EXPECT_EQ(sepa_->SepaCommand("SETDDTYPE", 0, 0, 0, "cor1", "", ""), 87);
  EXPECT_EQ(sepa_->SetSepaVersion(-27), 27);
  sepa_->SetBankDays(-1, 0, 0);  // B2B minimums
  EXPECT_EQ(sepa_->GetShortDueDate(), "2024-06-17");
  EXPECT_EQ(sepa_->GetLongDueDate(), "2024-06-17");
  EXPECT_EQ(sepa_->SepaCommand("SETDDTYPE", 0, 0, 0, " cor1 ", "", ""), 0);
  EXPECT_EQ(sepa_->SepaCommand("SETDDTYPE", 0, 0, 0, "XYZ", "", ""), 160);
  EXPECT_EQ(sepa_->SepaCommand("NIX", 0, 0, 0, "", "", ""), 1);
  EXPECT_EQ(Cp1252ToUtf8(sepa_->GetErrorMessage(160)), "Ungültige Parameter");
  EXPECT_EQ(sepa_->GetErrorMessage(21), "SEPA-Fehler Nr. 21");
  sepa_->SetBankHour(9);
  ASSERT_EQ(Open(), 0);
  TByteStream stream;
  sepa_->Freeze(stream);  // discards the open file
  stream.Seek(0);
  auto thawed = TZelSepaObject::Thaw(stream);
  EXPECT_EQ(thawed->SetSepaVersion(0), 27);
  EXPECT_EQ(thawed->GetShortDueDate(), "2024-06-18");  // after 9:00: from Monday
  EXPECT_EQ(sepa_->OpenCredit("M", "P", "I", "", "N", kOwnIban, "COBADEFF"), 0);
}

}  // namespace
