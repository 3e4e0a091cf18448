// MT940 fields and their grammar.

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "../TempDir.h"
#include "MT940.h"

namespace {

using namespace zel;

class Mt940 : public zeltest::TempDirTest {
 protected:
  // The fields of a file with this text.
  std::vector<std::string> Fields(const std::string& text, const std::string& translation = "") {
    std::ofstream(dir_ / "s.sta", std::ios::binary) << text;
    TMT940 m((dir_ / "s.sta").string(), translation);
    std::vector<std::string> out;
    for (std::string f; !(f = m.GetNextLine()).empty();) out.push_back(f);
    return out;
  }
};

TEST_F(Mt940, FieldsAreAssembled) {
  EXPECT_EQ(Fields(":20:X\r\n\r\n:86:166?00GUT\r\nSCHRIFT?20RE\r\n 4711\r\n-  \r\n:20:Y"),
            (std::vector<std::string>{":20:X", ":86:166?00GUTSCHRIFT?20RE 4711", "-", ":20:Y"}));
  EXPECT_EQ(Fields(":NS:22Miete\n23Januar\n99X\n", "22=20,23=21"),
            (std::vector<std::string>{":86:000?20Miete?21Januar"}));
  EXPECT_THROW(TMT940((dir_ / "fehlt").string(), ""), std::runtime_error);
  EXPECT_THROW(TMT940(dir_.string(), ""), std::runtime_error);  // a directory
}

TEST(Mt940Grammar, BookingLines) {
  struct Case {
    std::string line;
    std::string valuta, buchung;
    TAmount amount;
  };
  const Case cases[] = {
      {":61:1302050205DR12,50NTRFNONREF", "2013-02-05", "2013-02-05", -125000},
      {":61:130205RC7,00NMSC", "2013-02-05", "2013-02-05", -70000},
      {":61:991231C1,00N", "1999-12-31", "1999-12-31", 10000},
      {":61:1302050206CR3,5NTRF", "2013-02-05", "2013-02-06", 35000},
      {":61:1302310205D1,00N", "1899-12-30", "1899-12-30", -10000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    TMt940Grammar g;
    EXPECT_EQ(g.Feed(c.line), TMt940Grammar::evNone);
    EXPECT_EQ(g.Feed(":86:999"), TMt940Grammar::evTransaction);
    EXPECT_EQ(DateToIso(g.Transaction.Valuta), c.valuta);
    EXPECT_EQ(DateToIso(g.Transaction.Buchung), c.buchung);
    EXPECT_EQ(g.Transaction.Betrag, c.amount);
  }
}

TEST(Mt940Grammar, StructuredDetailsAndOriginalAmount) {
  TMt940Grammar g;
  g.Feed(":61:1302050205CR10,00NTRFNONREF");
  ASSERT_EQ(g.Feed(":86:166?00GUTSCHRIFT?100599?20RE 4711?21/OCMT/EUR10,00/?30DEUTDEFF?310000123456"
                   "?32MUELLER?33GMBH?34997"),
            TMt940Grammar::evTransaction);
  const TTransactionRecord& t = g.Transaction;
  EXPECT_EQ(t.Gvc, 166);
  EXPECT_EQ(t.Buchungstext, "GUTSCHRIFT");
  EXPECT_EQ(t.Primanota, "0599");
  EXPECT_EQ(t.Verwendung, "RE 4711");
  EXPECT_EQ(t.GegenBlz, "DEUTDEFF");
  EXPECT_EQ(t.GegenKonto, "123456");
  EXPECT_EQ(t.GegenName, "MUELLERGMBH");
  EXPECT_EQ(t.TextSchluesselErg, 997);
  EXPECT_EQ(t.OrigWaehrung, "EUR");
  EXPECT_EQ(t.OrigBetrag, 100000);
  g.Feed(":86:999Freier Text");  // a second :86: on the same booking line
  EXPECT_EQ(g.Transaction.Verwendung, "Freier Text");
  EXPECT_EQ(g.Transaction.Betrag, 100000);
}

// A statement over two messages is one statement with the final balance.
TEST(Mt940Grammar, StatementsAndContinuation) {
  TMt940Grammar g;
  using G = TMt940Grammar;
  EXPECT_EQ(g.Feed(":20:A"), G::evStatementStart);
  g.Feed(":25:10020030/0001234567");
  g.Feed(":28C:00005/001");
  g.Feed(":60F:D130101EUR100,00");
  EXPECT_EQ(g.Feed(":62M:C130102EUR1,00"), G::evNone);
  EXPECT_EQ(g.Feed(":20:A"), G::evNone);
  g.Feed(":25:99999999/1");
  g.Feed(":28:9");
  g.Feed(":60M:C130102EUR1,00");
  EXPECT_EQ(g.Feed(":62F:C130103EUR2,5"), G::evStatementDone);
  const TStatementRecord& s = g.Statement;
  EXPECT_EQ(s.Blz, "10020030");
  EXPECT_EQ(s.Konto, "1234567");
  EXPECT_EQ(s.AuszugNr, 5);
  EXPECT_EQ(s.AnfangBetrag, -1000000);
  EXPECT_EQ(DateToIso(s.EndDatum), "2013-01-03");
  EXPECT_EQ(s.EndBetrag, 25000);
  EXPECT_EQ(g.Feed(":20:B"), G::evStatementStart);
  g.Feed(":28:5");
  EXPECT_EQ(g.Statement.AuszugNr, 5);
  EXPECT_THROW(g.Feed(":62F:C131301EUR2,5"), std::runtime_error);
  EXPECT_THROW(g.Feed(":60F:C130101EURx"), std::runtime_error);
}

}  // namespace
