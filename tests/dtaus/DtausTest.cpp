// The DTAUS writer and checker. The expected files are put together from the
// record layouts field by field (positions as the format lists them), not
// from the writer's code.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "../TempDir.h"
#include "../core/Latin1.h"
#include "Dates.h"
#include "ZelDtausObject.h"

namespace {

using namespace zel;
namespace fs = std::filesystem;

// A record of `size` blanks with fields placed at 1-based positions.
struct Rec {
  std::string bytes;
  explicit Rec(std::size_t size) : bytes(size, ' ') {}
  Rec& At(std::size_t pos, const std::string& text) {
    bytes.replace(pos - 1, text.size(), text);
    return *this;
  }
};

std::string Pad(const std::string& s, std::size_t n) {
  return (s + std::string(n, ' ')).substr(0, n);
}
std::string Zeros(long long v, int n) {
  std::string s = std::to_string(v);
  return std::string(static_cast<std::size_t>(n) - s.size(), '0') + s;
}

struct Payment {
  std::string blz, kto, name, purpose, intern;
  int ts, tse;
  long long cents;
};

// The C record of a payment in normal mode, from the layout table.
std::string ExpectedC(const std::string& ownBlz, const std::string& ownKto,
                      const std::string& ownName, const Payment& p) {
  std::vector<std::pair<int, std::string>> parts;
  if (p.name.size() > 27) parts.push_back({1, p.name.substr(27, 27)});
  for (std::size_t pos = 27; pos < p.purpose.size() && pos < 27 + 351; pos += 27)
    parts.push_back({2, p.purpose.substr(pos, 27)});
  if (ownName.size() > 27) parts.push_back({3, ownName.substr(27, 27)});
  const std::size_t n = parts.size();
  const std::size_t size = n <= 2 ? 256 : n <= 6 ? 384 : n <= 10 ? 512 : n <= 14 ? 640 : 768;
  Rec r(size);
  r.At(1, Zeros(187 + 29 * static_cast<long long>(n), 4)).At(5, "C").At(6, ownBlz).At(14, p.blz);
  r.At(22, p.kto).At(32, "0" + p.intern + "0").At(45, Zeros(p.ts, 2)).At(47, Zeros(p.tse, 3));
  r.At(51, std::string(11, '0')).At(62, ownBlz).At(70, ownKto).At(80, Zeros(p.cents, 11));
  r.At(94, Pad(p.name, 27)).At(129, Pad(ownName, 27)).At(156, Pad(p.purpose, 27)).At(183, "1");
  r.At(186, Zeros(static_cast<long long>(n), 2));
  for (std::size_t k = 1; k <= n; ++k) {
    const std::size_t pos =
        k <= 2 ? 188 + 29 * (k - 1) : 257 + 128 * ((k - 3) / 4) + 29 * ((k - 3) % 4);
    r.At(pos, Zeros(parts[k - 1].first, 2) + Pad(parts[k - 1].second, 27));
  }
  return r.bytes;
}

class Dtaus : public zeltest::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    Clock::Set(EncodeDate(2024, 6, 14) + 0.4);
  }
  void TearDown() override {
    Clock::Reset();
    TempDirTest::TearDown();
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

std::string Letters(std::size_t n, char first) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += static_cast<char>('A' + (first - 'A' + i) % 26);
  return s;
}

TEST_F(Dtaus, GoldenFile) {
  const std::vector<Payment> payments = {
      {"10000000", "0000000001", "ANNA MEIER", "MIETE JUNI", "00000000987", 51, 0, 10000},
      {"10000000", "0001234567", Letters(30, 'A'), Letters(50, 'B'), "00000000001", 51, 0, 5},
      {"10000000", "0007654321", Letters(30, 'C'), Letters(60, 'D'), "00000000002", 53, 1, 123456},
      {"10000000", "9999999999", Letters(30, 'E'), Letters(27 + 6 * 27, 'F'), "00000000003", 54, 0,
       2147483647},
  };
  TZelDtausObject o;
  ASSERT_EQ(o.CreateFile(Path("golden.dta"), "37040044", "532013000", "Zelvaro Test GmbH", "12345",
                         1, 1, 3),
            0)
      << o.GetLastError();
  for (const Payment& p : payments)
    ASSERT_EQ(o.WriteFile(p.blz, p.kto, p.name, p.purpose, p.intern, p.ts, p.tse, p.cents * 100), 0)
        << o.GetLastError();
  ASSERT_EQ(o.CloseFile(), 0);

  std::string expected = Rec(128)
                             .At(1, "0128A")
                             .At(6, "GK")
                             .At(8, "37040044")
                             .At(16, "00000000")
                             .At(24, Pad("ZELVARO TEST GMBH", 27))
                             .At(51, "140624")
                             .At(61, "0532013000")
                             .At(71, "0000012345")
                             .At(96, "17062024")
                             .At(128, "1")
                             .bytes;
  long long sumKto = 0, sumBlz = 0, sumCents = 0;
  for (const Payment& p : payments) {
    expected += ExpectedC("37040044", "0532013000", "ZELVARO TEST GMBH", p);
    sumKto += std::stoll(p.kto);
    sumBlz += std::stoll(p.blz);
    sumCents += p.cents;
  }
  expected += Rec(128)
                  .At(1, "0128E")
                  .At(11, Zeros(4, 7))
                  .At(18, std::string(13, '0'))
                  .At(31, Zeros(sumKto, 17))
                  .At(48, Zeros(sumBlz, 17))
                  .At(65, Zeros(sumCents, 13))
                  .bytes;
  const std::string written = Read(Path("golden.dta"));
  EXPECT_EQ(written.size(), 128u + 256 + 256 + 384 + 512 + 128);
  EXPECT_EQ(written, expected);

  // The checker reads it back with the totals of the E record.
  TZelDtausObject checker;
  EXPECT_EQ(checker.CheckFile(Path("golden.dta")), 0);
  EXPECT_EQ(checker.GetLastError(), "Ok");
  checker.CheckFile("*A");
  EXPECT_EQ(checker.GetLastError(), "4");
  checker.CheckFile("*B");
  EXPECT_EQ(checker.GetLastError(),
            std::to_string(sumCents / 100) + "." + Zeros(sumCents % 100, 2));  // 21476171.08
  checker.CheckFile("*C");
  EXPECT_EQ(checker.GetLastError(), std::to_string(sumKto));
  checker.CheckFile("*D");
  EXPECT_EQ(checker.GetLastError(), std::to_string(sumBlz));
}

TEST_F(Dtaus, FifteenExtensionParts) {
  const std::string own = "EIN SEHR LANGER NAME DES AUFTRAGGEBERS";  // 38 characters: one part 03
  const Payment p{
      "10000000", "0000000042", Letters(54, 'G'), Letters(27 + 351 + 10, 'H'), "00000000000", 51, 0,
      1};
  TZelDtausObject o;
  ASSERT_EQ(o.CreateFile(Path("long.dta"), "37040044", "532013000", own, "1", 1, 0, 0), 0);
  ASSERT_EQ(o.WriteFile(p.blz, p.kto, p.name, p.purpose, p.intern, p.ts, p.tse, 100), 0);
  ASSERT_EQ(o.CloseFile(), 0);
  const std::string written = Read(Path("long.dta"));
  ASSERT_EQ(written.size(), 128u + 768 + 128);
  const std::string c = written.substr(128, 768);
  EXPECT_EQ(c, ExpectedC("37040044", "0532013000", own, p));
  EXPECT_EQ(c.substr(0, 4), "0622");  // 187 + 15 x 29
  EXPECT_EQ(c.substr(185, 2), "15");
  EXPECT_EQ(written.substr(128 + 640, 13),
            "03FTRAGGEBERS");  // the own name's part opens the last block
}

TEST_F(Dtaus, ValidationCodes) {
  TZelDtausObject o;
  EXPECT_EQ(o.CreateFile(Path("a.dta"), "37040044", "532013000", "X", "1", 3, 0, 0), 402);
  EXPECT_EQ(o.GetLastError(), "Angegebener Typ: 3");
  EXPECT_EQ(o.CreateFile(Path("a.dta"), "37040044", "532013100", "X", "1", 1, 1, 0), 403);
  EXPECT_EQ(zeltest::Utf8(o.GetLastError()),
            "ZelProbe-Result: 13 (Kontonummer ist ungültig (falsche Prüfziffer))");
  EXPECT_EQ(o.WriteFile("10000000", "1", "A", "B", "1", 51, 0, 10000), 411);
  EXPECT_EQ(o.CloseFile(), 421);
  ASSERT_EQ(o.CreateFile(Path("a.dta"), "37040044", "532013000", "X", "1", 1, 1, 0), 0);
  EXPECT_EQ(o.CreateFile(Path("b.dta"), "37040044", "532013000", "X", "1", 1, 0, 0), 401);
  EXPECT_EQ(zeltest::Utf8(o.GetLastError()), "Geöffnete Datei: " + Path("a.dta"));
  EXPECT_EQ(o.WriteFile("10000000", "1", "A", "B", "1", 5, 0, 10000), 412);
  EXPECT_EQ(zeltest::Utf8(o.GetLastError()), "Ungültiger Textschlüssel: 05");
  EXPECT_EQ(o.WriteFile("37040044", "532013100", "A", "B", "1", 51, 0, 10000), 413);
  // Amounts the format cannot carry are refused; the file stays consistent.
  EXPECT_EQ(o.WriteFile("10000000", "1", "A", "B", "1", 51, 0, 2147483648LL * 100), 415);
  EXPECT_EQ(o.WriteFile("10000000", "1", "A", "B", "1", 51, 0, -100), 415);
  EXPECT_EQ(o.WriteFile("10000000", "1", "A", "B", "1", 51, 0, 2147483647LL * 100), 0);
  EXPECT_EQ(o.CloseFile(), 0);
  TZelDtausObject checker;
  EXPECT_EQ(checker.CheckFile(Path("a.dta")), 0);
  checker.CheckFile("*A");
  EXPECT_EQ(checker.GetLastError(), "1");
  checker.CheckFile("*B");
  EXPECT_EQ(checker.GetLastError(), "21474836.47");
}

TEST_F(Dtaus, DirectDebitsAndTextKeys) {
  TZelDtausObject o;
  ASSERT_EQ(o.CreateFile(Path("l.dta"), "37040044", "532013000", "X", "1", 2, 0, 0), 0);
  EXPECT_EQ(o.WriteFile("10000000", "1", "A", "B", "1", 51, 0, 100), 412);
  EXPECT_EQ(o.WriteFile("10000000", "1", "A", "B", "1", 5, 0, 100), 0);
  EXPECT_EQ(o.WriteFile("10000000", "1", "A", "B", "1", 4, 0, 100), 0);
  EXPECT_EQ(o.CloseFile(), 0);
  EXPECT_EQ(Read(Path("l.dta")).substr(5, 2), "LK");
}

TEST_F(Dtaus, NamesAmountsAndCharacters) {
  TZelDtausObject o;
  ASSERT_EQ(o.CreateFile(Path("n.dta"), "37040044", "532013000", "x", "1", 1, 0, 0), 0);
  const std::string muller = "M\xfcller & Co.";  // code page 1252
  ASSERT_EQ(o.WriteFile("10000000", "1", muller,
                        "Stra\xdf"
                        "e \xc4\xd6\xdc \xe4\xf6 @#!",
                        "1", 51, 0, 12345650),
            0);
  ASSERT_EQ(o.WriteFile("10000000", "1", "a", "b", "1", 51, 0, 12345651), 0);
  ASSERT_EQ(o.WriteFile("10000000", "1", "a", "b", "1", 51, 0, 12345550), 0);  // 1234.555 -> ...56
  ASSERT_EQ(o.CloseFile(), 0);
  const std::string f = Read(Path("n.dta"));
  const std::string c1 = f.substr(128, 256), c2 = f.substr(384, 256), c3 = f.substr(640, 256);
  EXPECT_EQ(c1.substr(93, 27), Pad("M]LLER & CO.", 27));
  EXPECT_EQ(c1.substr(155, 27), Pad("STRA~E [\\] [\\ ", 27));
  EXPECT_EQ(c1.substr(79, 11), "00000123456");  // 1234.565: half to the even cent
  EXPECT_EQ(c2.substr(79, 11), "00000123457");  // 1234.5651
  EXPECT_EQ(c3.substr(79, 11), "00000123456");  // 1234.555
  EXPECT_EQ(c1.substr(128, 27), Pad("X", 27));
}

TEST_F(Dtaus, CurrencyMode) {
  TZelDtausObject o;
  EXPECT_EQ(o.CreateFile(Path("c.dta"), "99935000", "1", "FIRMA X", "1", 1, 0, 0), 406);
  EXPECT_EQ(zeltest::Utf8(o.GetLastError()),
            "Kein \"Währung-Land\" im Auftraggeber gefunden: FIRMA X");
  ASSERT_EQ(o.CreateFile(Path("c.dta"), "99935000", "1", "Firma X EUR-DE", "1", 1, 0, 0), 0);
  ASSERT_EQ(o.WriteFile("10000000", "42", "A", "B", "7", 51, 0, 1000000), 0);  // 100.00
  ASSERT_EQ(o.WriteFile("", "", "A", "B", "7", 51, 0, 1000000), 0);
  ASSERT_EQ(o.CloseFile(), 0);
  std::string f = Read(Path("c.dta"));
  EXPECT_EQ(f.substr(23, 27), Pad("FIRMA X EUR-DE", 27));
  EXPECT_EQ(f[127], '1');
  const std::string c = f.substr(128, 256);
  EXPECT_EQ(c.substr(13, 8), "99935000");  // own bank code in place of the payee's
  EXPECT_EQ(c.substr(21, 10), "0000000000");
  EXPECT_EQ(c.substr(61, 8), "10000000");  // payee bank code and account behind
  EXPECT_EQ(c.substr(69, 10), "0000000042");
  EXPECT_EQ(c.substr(79, 11), "00000010000");
  EXPECT_EQ(c.substr(128, 27), Pad("FIRMA X", 27));
  const std::string c2 = f.substr(384, 256);
  EXPECT_EQ(c2.substr(61, 8), "99935000");
  EXPECT_EQ(c2.substr(69, 10), "1111111111");

  // Another currency: the amount moves to positions 51-61, the flag is blank.
  ASSERT_EQ(o.CreateFile(Path("u.dta"), "99935000", "1", "FIRMA Y USD-US", "1", 1, 0, 0), 0);
  ASSERT_EQ(o.WriteFile("10000000", "42", "A", "B", "7", 51, 0, 1000000), 0);
  ASSERT_EQ(o.CloseFile(), 0);
  f = Read(Path("u.dta"));
  EXPECT_EQ(f[127], ' ');
  EXPECT_EQ(f.substr(128 + 50, 11), "00000010000");
  EXPECT_EQ(f.substr(128 + 79, 11), "00000000000");
  EXPECT_EQ(f[128 + 182], ' ');
  const std::string e = f.substr(384, 128);
  EXPECT_EQ(e.substr(17, 13), "0000000010000");
  EXPECT_EQ(e.substr(64, 13), "0000000000000");
}

TEST_F(Dtaus, CheckerFindsWrongAccounts) {
  TZelDtausObject o;
  ASSERT_EQ(o.CreateFile(Path("e.dta"), "37040044", "532013000", "X", "1", 1, 0, 0), 0);
  ASSERT_EQ(o.WriteFile("37040044", "532013100", "Falsch", "B", "55", 51, 0, 500), 0);
  ASSERT_EQ(o.WriteFile("37040044", "532013000", "Richtig", "B", "56", 51, 0, 500), 0);
  ASSERT_EQ(o.WriteFile("12345678", "1", "Unbekannt", "B", "57", 51, 0, 500), 0);
  ASSERT_EQ(o.CloseFile(), 0);
  TZelDtausObject checker;
  EXPECT_EQ(checker.CheckFile(Path("e.dta")), 2);
  EXPECT_EQ(checker.GetLastError(), "2 Fehler in " + Path("e.dta") + ".");
  EXPECT_EQ(
      zeltest::Utf8(Read(Path("e.out"))),
      "37040044/0532013100/00000000055 (FALSCH): Kontonummer ist ungültig (falsche Prüfziffer)\r\n"
      "12345678/0000000001/00000000057 (UNBEKANNT): Bank existiert nicht\r\n");
  EXPECT_EQ(checker.CheckFile(Path("fehlt.dta")), -3);
  EXPECT_FALSE(checker.GetLastError().empty());
}

TEST_F(Dtaus, SpecialFunctions) {
  TZelDtausObject o;
  EXPECT_EQ(o.CheckFile("*B"), 0);
  EXPECT_EQ(o.GetLastError(), "0.00");
  EXPECT_EQ(o.CheckFile("*C"), 0);
  EXPECT_EQ(o.GetLastError(), "0");
  EXPECT_EQ(o.CheckFile("*X"), -431);
  EXPECT_EQ(o.GetLastError(), "Spezialfunktion \"X\" existiert nicht.");
  ASSERT_EQ(o.CreateFile(Path("s.dta"), "37040044", "532013000", "X", "1", 1, 0, 0), 0);
  ASSERT_EQ(o.WriteFile("10000000", "1", "A", "B", "1", 51, 0, 500), 0);
  o.CheckFile("*B");
  EXPECT_EQ(o.GetLastError(), "0.05");
  EXPECT_EQ(zeltest::Utf8(o.GetErrorMessage(-431)),
            "Die angegebene Spezialfunktion existiert nicht.");
  EXPECT_EQ(zeltest::Utf8(o.GetErrorMessage(406)),
            "Es ist der unbekannte DTAUS-Fehler Nr. 406 aufgetreten.");
  EXPECT_EQ(
      zeltest::Utf8(o.GetErrorMessage(412)).find("Der Textschlüssel paßt nicht zum Auftragstyp"),
      0u);
}

TEST_F(Dtaus, DestroyingWhileWritingClosesWithTheERecord) {
  {
    TZelDtausObject o;
    ASSERT_EQ(o.CreateFile(Path("d.dta"), "37040044", "532013000", "X", "1", 1, 0, 0), 0);
    ASSERT_EQ(o.WriteFile("10000000", "1", "A", "B", "1", 51, 0, 500), 0);
  }
  const std::string f = Read(Path("d.dta"));
  ASSERT_EQ(f.size(), 128u + 256 + 128);
  EXPECT_EQ(f.substr(384, 5), "0128E");
}

TEST_F(Dtaus, FreezeAndThawGoOnWriting) {
  TZelDtausObject o;
  ASSERT_EQ(o.CreateFile(Path("t.dta"), "99935000", "1", "FIRMA Y USD-US", "1", 1, 0, 0), 0);
  ASSERT_EQ(o.WriteFile("10000000", "1", "A", "B", "1", 51, 0, 500), 0);
  TByteStream s;
  o.Freeze(s);
  auto thawed = TZelDtausObject::Thaw(s);
  EXPECT_EQ(thawed->WriteFile("10000000", "2", "A", "B", "1", 51, 0, 700), 0);
  EXPECT_EQ(thawed->CloseFile(), 0);
  const std::string f = Read(Path("t.dta"));
  ASSERT_EQ(f.size(), 128u + 256 + 256 + 128);
  EXPECT_EQ(f.substr(384 + 50, 11), "00000000007");  // still in the foreign currency mode
  EXPECT_EQ(f.substr(640 + 10, 7), "0000002");
  EXPECT_EQ(f.substr(640 + 17, 13), "0000000000012");
}

// A file of three payments, the first and the third with a wrong account.
std::string WriteChecked(const std::string& path) {
  TZelDtausObject o;
  EXPECT_EQ(o.CreateFile(path, "37040044", "532013000", "X", "1", 1, 0, 0), 0);
  EXPECT_EQ(o.WriteFile("37040044", "532013100", "Falsch", "B", "55", 51, 0, 500), 0);
  EXPECT_EQ(o.WriteFile("37040044", "532013000", "Richtig", "B", "56", 51, 0, 500), 0);
  EXPECT_EQ(o.WriteFile("12345678", "1", "Unbekannt", "B", "57", 51, 0, 500), 0);
  EXPECT_EQ(o.CloseFile(), 0);
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(Dtaus, ErrorListIsWrittenSafely) {
  std::string bytes = WriteChecked(Path("e.dta"));
  TZelDtausObject checker;
  // A link in the list's place is refused and its target left alone.
  std::ofstream(Path("victim")) << "mine\n";
  fs::create_symlink(Path("victim"), Path("e.out"));
  EXPECT_EQ(checker.CheckFile(Path("e.dta")), -433);
  EXPECT_EQ(Read(Path("victim")), "mine\n");
  fs::remove(Path("e.out"));
  // So is the input itself (its name already ends in ".out").
  std::ofstream(Path("x.out"), std::ios::binary) << bytes;
  EXPECT_EQ(checker.CheckFile(Path("x.out")), -433);
  EXPECT_EQ(Read(Path("x.out")), bytes);
  // Control bytes of a record's fields cannot start lines of their own.
  bytes.replace(128 + 93, 5, "A\nB\rC");
  std::ofstream(Path("e.dta"), std::ios::binary) << bytes;
  ASSERT_EQ(checker.CheckFile(Path("e.dta")), 2) << checker.GetLastError();
  const std::string list = Read(Path("e.out"));
  EXPECT_EQ(list.substr(0, list.find("\r\n")).find_first_of("\r\n"), std::string::npos);
  EXPECT_NE(list.find("(A\\x0AB\\x0DCH)"), std::string::npos);
  // A clean run leaves no list of an earlier run behind, and no temporary file.
  TZelDtausObject w;
  ASSERT_EQ(w.CreateFile(Path("e.dta"), "37040044", "532013000", "X", "1", 1, 0, 0), 0);
  ASSERT_EQ(w.CloseFile(), 0);
  EXPECT_EQ(checker.CheckFile(Path("e.dta")), 0);
  EXPECT_FALSE(fs::exists(Path("e.out")));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 3);  // e.dta, victim, x.out
  // A directory in the list's place is refused, not announced.
  WriteChecked(Path("d.dta"));
  fs::create_directory(Path("d.out"));
  EXPECT_EQ(checker.CheckFile(Path("d.dta")), -433);
}

TEST_F(Dtaus, CheckerRefusesWhatIsNotADtausFile) {
  const std::string good = WriteChecked(Path("g.dta"));
  struct Case {
    const char* why;
    std::string bytes;
  };
  std::string lying = good, unpadded = good, typeX = good, wrongCount = good, noA = good,
              wrongParts = good;
  wrongParts.replace(128 + 185, 2, "03");  // the count of extension parts, in the second block
  lying.replace(128, 4, "9999");
  unpadded.erase(128 + 187, 256 - 187);  // the first C record without its padding
  typeX[128 + 4] = 'X';
  wrongCount.replace(good.size() - 128 + 10, 7, "0000009");
  noA[4] = 'C';
  const Case cases[] = {
      {"empty", ""},
      {"record length 9999", lying},
      {"unpadded record", unpadded},
      {"unknown record type", typeX},
      {"E record count", wrongCount},
      {"no A record", noA},
      {"parts count against length", wrongParts},
      {"no E record", good.substr(0, good.size() - 128)},
      {"data behind the E record", good + good.substr(0, 128)},
      {"half a block", good.substr(0, good.size() - 5)},
  };
  TZelDtausObject checker;
  for (const Case& c : cases) {
    std::ofstream(Path("f.dta"), std::ios::binary) << c.bytes;
    EXPECT_EQ(checker.CheckFile(Path("f.dta")), -432) << c.why;
    EXPECT_NE(checker.GetLastError(), "Ok") << c.why;
  }
  EXPECT_EQ(checker.CheckFile(dir_.string()), -3);
  EXPECT_EQ(checker.GetLastError(), std::strerror(EISDIR));
}

// More payments than the checker's read buffer holds: records that straddle
// its refills are read whole.
TEST_F(Dtaus, CheckerReadsLongFiles) {
  TZelDtausObject o;
  ASSERT_EQ(o.CreateFile(Path("l.dta"), "37040044", "532013000", "X", "1", 1, 0, 0), 0);
  for (int i = 0; i < 700; ++i)
    ASSERT_EQ(o.WriteFile("37040044", i % 7 ? "532013000" : "532013100", Letters(i % 60, 'N'),
                          Letters(i % 200, 'V'), "1", 51, 0, 100),
              0);
  ASSERT_EQ(o.CloseFile(), 0);
  TZelDtausObject checker;
  EXPECT_EQ(checker.CheckFile(Path("l.dta")), 100) << checker.GetLastError();
  checker.CheckFile("*A");
  EXPECT_EQ(checker.GetLastError(), "700");
}

TEST_F(Dtaus, HashBankCodeOfAPaymentIsAnUnknownBank) {
  std::string bytes = WriteChecked(Path("h.dta"));
  bytes.replace(128 + 13, 8, "#09XXXXX");  // the first payment's bank code
  std::ofstream(Path("h.dta"), std::ios::binary) << bytes;
  TZelDtausObject checker;
  EXPECT_EQ(checker.CheckFile(Path("h.dta")), -432);  // the E record's sum no longer fits
  bytes.replace(bytes.size() - 128 + 47, 17, Zeros(37040044 + 9 + 12345678, 17));
  std::ofstream(Path("h.dta"), std::ios::binary) << bytes;
  ASSERT_EQ(checker.CheckFile(Path("h.dta")), 2);
  EXPECT_NE(Read(Path("h.out")).find("#09XXXXX/0532013100/"), std::string::npos);
}

// Random and mutated files: the checker neither crashes nor hangs.
TEST_F(Dtaus, CheckerSurvivesGarbage) {
  TZelDtausObject writer;
  ASSERT_EQ(writer.CreateFile(Path("g.dta"), "37040044", "532013000", "X", "1", 1, 0, 0), 0);
  for (int i = 0; i < 5; ++i)
    ASSERT_EQ(writer.WriteFile("10000000", std::to_string(i), Letters(40, 'A'), Letters(90, 'B'),
                               "1", 51, 0, 500),
              0);
  ASSERT_EQ(writer.CloseFile(), 0);
  const std::string good = Read(Path("g.dta"));
  std::mt19937 rng(4711);
  TZelDtausObject checker;
  for (int round = 0; round < 3000; ++round) {
    std::string bytes;
    switch (round % 4) {
      case 0: {  // random bytes of random length
        bytes.resize(rng() % 3000);
        for (char& c : bytes) c = static_cast<char>(rng());
        break;
      }
      case 1: {  // the good file with flipped bytes
        bytes = good;
        for (int k = 0; k < 8; ++k) bytes[rng() % bytes.size()] = static_cast<char>(rng());
        break;
      }
      case 2:  // the good file cut anywhere
        bytes = good.substr(0, rng() % good.size());
        break;
      default: {  // absurd record lengths and record types
        bytes = good;
        const std::size_t at = (rng() % (bytes.size() / 128)) * 128;
        const char* lengths[] = {"9999", "0000", "-128", "12 4", "\xff\xff\xff\xff"};
        bytes.replace(at, 4, lengths[rng() % 5]);
        bytes[at + 4] = "ACEX"[rng() % 4];
      }
    }
    std::ofstream(Path("f.dta"), std::ios::binary) << bytes;
    const int r = checker.CheckFile(Path("f.dta"));
    ASSERT_TRUE(r >= 0 || r == -432) << round << " " << r;
    checker.CheckFile("*A");
    ASSERT_LE(std::stoi(checker.GetLastError()), static_cast<int>(bytes.size() / 128 + 1));
  }
}

}  // namespace
