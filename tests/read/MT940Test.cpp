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

// The statements a grammar hands on for these fields (and the end of the file).
std::vector<TStatementBatch> Statements(const std::vector<std::string>& fields,
                                        std::string* error = nullptr) {
  std::vector<TStatementBatch> out;
  TMt940Grammar g([&](TStatementBatch& b) {
    out.push_back(b);
    return true;
  });
  for (const std::string& f : fields) g.Feed(f);
  std::string e;
  g.Finish(e);
  if (error) *error = e;
  return out;
}

// One booking line in a statement: the booking it gives.
TTransactionRecord Booking(const std::string& line, const std::string& details = ":86:999") {
  const auto s = Statements({":20:A", line, details, ":62F:C130103EUR0,00"});
  return s.size() == 1 && s[0].Bookings.size() == 1 ? s[0].Bookings[0] : TTransactionRecord{};
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
      {":61:2701021231D1,00NTRF", "2027-01-02", "2026-12-31", -10000},          // the year before
      {":61:2612310102C1,00NTRF", "2026-12-31", "2027-01-02", 10000},           // the year after
      {":61:2611031103D12,50S020NONREF", "2026-11-03", "2026-11-03", -125000},  // SWIFT code S
      {":61:2611031103C0000000012,50FMSC", "2026-11-03", "2026-11-03", 125000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const TTransactionRecord t = Booking(c.line);
    EXPECT_EQ(DateToIso(t.Valuta), c.valuta);
    EXPECT_EQ(DateToIso(t.Buchung), c.buchung);
    EXPECT_EQ(t.Betrag, c.amount);
  }
}

TEST(Mt940Grammar, StructuredDetailsAndOriginalAmount) {
  const auto s = Statements({":20:A", ":61:1302050205CR10,00NTRFNONREF",
                             ":86:166?00GUTSCHRIFT?100599?20RE 4711?21/OCMT/EUR10,00/?30DEUTDEFF"
                             "?310000123456?32MUELLER?33GMBH?34997",
                             ":86:999Freier Text",  // a second :86:: no booking of its own
                             ":62F:C130103EUR0,00"});
  ASSERT_EQ(s.size(), 1u);
  ASSERT_EQ(s[0].Bookings.size(), 1u);
  const TTransactionRecord& t = s[0].Bookings[0];
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
}

// A statement over two messages is one statement with the final balance.
TEST(Mt940Grammar, StatementsAndContinuation) {
  const auto s =
      Statements({":20:A", ":25:10020030/0001234567", ":28C:00005/001", ":60F:D130101EUR100,00",
                  ":62M:C130102EUR1,00", ":20:A", ":25:99999999/1", ":28:9", ":60M:C130102EUR1,00",
                  ":62F:C130103EUR2,5", ":20:B", ":28:5", ":62F:C130104EUR0,00"});
  ASSERT_EQ(s.size(), 2u);
  const TStatementRecord& a = s[0].Statement;
  EXPECT_EQ(a.Blz, "10020030");
  EXPECT_EQ(a.Konto, "1234567");
  EXPECT_EQ(a.AuszugNr, 5);
  EXPECT_EQ(a.AnfangBetrag, -1000000);
  EXPECT_EQ(DateToIso(a.EndDatum), "2013-01-03");
  EXPECT_EQ(a.EndBetrag, 25000);
  EXPECT_EQ(s[1].Statement.AuszugNr, 5);
  const auto refuse = [](const std::string& f) { Statements({":20:B", f}); };
  EXPECT_THROW(refuse(":62F:C131301EUR2,5"), std::runtime_error);
  EXPECT_THROW(refuse(":60F:C130101EURx"), std::runtime_error);
}

// Files as banks deliver them: nothing lost, nothing invented.
TEST_F(Mt940, FilesLoseNothing) {
  const std::string head =
      ":20:STARTUMS\r\n:25:37040044/0532013000\r\n:28C:17/1\r\n:60F:C261102EUR100,00\r\n";
  const std::string tail = ":62F:C261103EUR110,00\r\n-\r\n";
  const std::string booking = ":61:2611031103C10,00NTRFNONREF\r\n";
  struct Case {
    const char* why;
    std::string text;
    std::size_t statements, bookings;
    std::string purpose, name, notice;  // of the first booking; a notice
  };
  const Case cases[] = {
      {"purpose line starting with a colon",
       head + booking + ":86:166?00GUTSCHRIFT?20RE 4711\r\n:Teil 2?32MUELLER\r\n" + tail, 1, 1,
       "RE 4711:Teil 2", "MUELLER", ""},
      {"second :86: is no booking", head + booking + ":86:166?20A\r\n:86:Info\r\n" + tail, 1, 1,
       "A", "", ""},
      {":61: without :86:", head + booking + booking + ":86:166?20B\r\n" + tail, 1, 2, "", "", ""},
      {"Ctrl-Z at the end", head + booking + tail + "\x1A", 1, 1, "", "", ""},
      {"SWIFT envelope",
       "{1:F01COBADEFFXXX0000000000}{2:O940}{4:\r\n" + head + booking +
           ":62F:C261103EUR110,00-}\r\n",
       1, 1, "", "", ""},
      {"many leading zeros",
       head.substr(0, head.size() - 8) + "0000000000000000100,00\r\n" + booking + tail, 1, 1, "",
       "", ""},
      {"UTF-8 letters cut whole",
       head + booking + ":86:166?00" + std::string(26, 'X') + "ÄÖ?20P\r\n" + tail, 1, 1, "P", "",
       ""},
      {"no closing balance", head + booking, 0, 0, "", "", "hat keinen Schlusssaldo"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::ofstream(dir_ / "s.sta", std::ios::binary) << c.text;
    std::vector<TStatementBatch> out;
    TReadNotes notes;
    ReadMt940File((dir_ / "s.sta").string(), "",
                  [&](TStatementBatch& b) {
                    out.push_back(b);
                    return true;
                  },
                  notes);
    ASSERT_EQ(out.size(), c.statements);
    EXPECT_EQ(notes.Notices.empty() ? "" : notes.Notices[0].substr(notes.Notices[0].find("hat")),
              c.notice.empty() ? "" : c.notice + " (:62F:) und wurde nicht übernommen");
    if (c.statements == 0) continue;
    ASSERT_EQ(out[0].Bookings.size(), c.bookings);
    EXPECT_EQ(out[0].Bookings[0].Betrag, 100000);
    EXPECT_EQ(out[0].Bookings[0].Verwendung, c.purpose);
    EXPECT_EQ(out[0].Bookings[0].GegenName, c.name);
    EXPECT_EQ(out[0].Bookings[0].Buchungstext.find("\xC3"),
              c.why[0] == 'U' ? 26u : std::string::npos);
  }
  // MT942 (pre-advices) is refused as a whole.
  std::ofstream(dir_ / "s.sta", std::ios::binary) << head << ":34F:EURD0,\r\n" << tail;
  TReadNotes notes;
  EXPECT_THROW(
      ReadMt940File((dir_ / "s.sta").string(), "", [](TStatementBatch&) { return true; }, notes),
      TStatementFileError);
}

}  // namespace
