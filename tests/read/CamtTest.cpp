// camt statements of several versions and kinds, as banks deliver them.

#include <gtest/gtest.h>

#include "Camt.h"

namespace {

using namespace zel;

std::vector<TStatementBatch> Read(const std::string& file, TReadNotes& notes) {
  std::vector<TStatementBatch> out;
  ReadCamtFile(
      std::string(ZEL_FIXTURES) + "/camt/" + file,
      [&](TStatementBatch& b) {
        out.push_back(b);
        return true;
      },
      notes);
  return out;
}

TEST(Camt, StatementsOfEveryKind) {
  struct Case {
    std::string file;
    int number;
    std::string account, blz, opening, closing;  // "date amount"
    std::vector<TAmount> bookings;
    int pending;
  };
  const Case cases[] = {
      {"camt053_v08_2026-11-03.xml",
       17,
       "DE89370400440532013000",
       "37040044",
       "2026-11-02 10000000",
       "2026-11-03 12845600",
       {3000000, -654400, 200000, 300000},
       1},
      {"camt053_v02_2013-12-02.xml",
       5,
       "DE02120300000000202051",
       "12030000",
       "2013-12-01 -200000",
       "2013-12-02 925000",
       {1125000},
       0},
      {"camt052_v08_2026-11-04.xml",
       310,
       "DE89370400440532013000",
       "37040044",
       "2026-11-04 12845600",
       "2026-11-04 12745600",
       {-100000},
       0},
      {"camt054_v08_2026-11-05.xml",
       44,
       "DE89370400440532013000",
       "37040044",
       "1899-12-30 0",
       "1899-12-30 0",
       {120000, 250000},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    TReadNotes notes;
    const auto s = Read(c.file, notes);
    ASSERT_EQ(s.size(), 1u);
    const TStatementRecord& st = s[0].Statement;
    EXPECT_EQ(st.AuszugNr, c.number);
    EXPECT_EQ(st.Konto, c.account);
    EXPECT_EQ(st.Blz, c.blz);
    EXPECT_EQ(DateToIso(st.AnfangDatum) + " " + std::to_string(st.AnfangBetrag), c.opening);
    EXPECT_EQ(DateToIso(st.EndDatum) + " " + std::to_string(st.EndBetrag), c.closing);
    std::vector<TAmount> amounts;
    for (const auto& b : s[0].Bookings) amounts.push_back(b.Betrag);
    EXPECT_EQ(amounts, c.bookings);
    EXPECT_EQ(notes.Pending, c.pending);
  }
}

// Counterparty of the other side, codes, texts and references.
TEST(Camt, BookingDetails) {
  TReadNotes notes;
  const auto s = Read("camt053_v08_2026-11-03.xml", notes);
  ASSERT_EQ(s.size(), 1u);
  ASSERT_EQ(s[0].Bookings.size(), 4u);
  const TTransactionRecord& credit = s[0].Bookings[0];
  EXPECT_EQ(credit.Gvc, 166);
  EXPECT_EQ(credit.TextSchluesselErg, 931);
  EXPECT_EQ(credit.Primanota, "0599");
  EXPECT_EQ(credit.Buchungstext, "GUTSCHR. UEBERWEISUNG");
  EXPECT_EQ(credit.GegenName, "Erika Müller");  // the debtor, not the ultimate one
  EXPECT_EQ(credit.GegenKonto, "DE02120300000000202051");
  EXPECT_EQ(credit.GegenBlz, "BYLADEM1001");
  EXPECT_EQ(credit.Verwendung, "Rechnung 4711 vom 01.11.2026 Kunde 42");
  const TTransactionRecord& debit = s[0].Bookings[1];
  EXPECT_EQ(debit.GegenName, "Stadtwerke Köln GmbH");  // the creditor
  EXPECT_EQ(debit.GegenKonto, "DE12500105170648489890");
  EXPECT_EQ(debit.GegenBlz, "INGDDEFFXXX");
  EXPECT_EQ(debit.Verwendung, "RF18539007547034");
  EXPECT_EQ(DateToIso(debit.Valuta), "2026-11-02");
  EXPECT_EQ(DateToIso(debit.Buchung), "2026-11-03");
  EXPECT_EQ(s[0].Bookings[3].GegenName, "Anna Schmidt");
  EXPECT_EQ(s[0].Bookings[3].Buchungstext, "SAMMLER-GUTSCHRIFT");
  TReadNotes v02;
  const auto old = Read("camt053_v02_2013-12-02.xml", v02);
  ASSERT_EQ(old.size(), 1u);
  EXPECT_EQ(old[0].Bookings[0].GegenBlz, "COBADEFFXXX");
  EXPECT_EQ(old[0].Bookings[0].GegenName, "Hans Meier");
  EXPECT_EQ(old[0].Bookings[0].Gvc, 51);
}

TEST(Camt, RefusesWhatIsNoStatement) {
  const std::string cases[] = {
      "<?xml version=\"1.0\"?><Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:pain.001.001.09\"/>",
      "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.08\"><BkToCstmrStmt>",
      // well-formed, but not what the schema of a day statement allows
      "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.08\"><BkToCstmrStmt>"
      "<Stmt><Id>1</Id></Stmt></BkToCstmrStmt></Document>",
      "<!DOCTYPE d [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;\"><!ENTITY c "
      "\"&b;&b;&b;&b;&b;&b;&b;\">]><Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053."
      "001.08\">&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;</Document>",
  };
  for (const std::string& text : cases) {
    TReadNotes notes;
    EXPECT_THROW(ReadCamt(
                     text, "x.xml", [](TStatementBatch&) { return true; }, notes),
                 TStatementFileError)
        << text;
  }
}

}  // namespace
