// The command-line client, run in-process on the real data files.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "../base/LocalHttpServer.h"
#include "../base/PackageFixture.h"
#include "CivilDate.h"
#include "ZelCli.h"

namespace {

using namespace zeltest;

struct Result {
  int rc;
  std::string out, err;
};

Result Zel(std::vector<std::string> args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  const int rc = zelcli::Run(args, in, out, err);
  return {rc, out.str(), err.str()};
}

// A day number (days since 1899-12-30).
double Day(int y, int m, int d) {
  return static_cast<double>(zel::civil::DaysFromCivil(y, m, d) + zel::civil::kEpochShift);
}

// "zel sepa credit" from stdin into `out`, paid from one fixed account.
std::vector<std::string> SepaCreditArgs(const std::string& out, const std::string& name) {
  return {"sepa",
          "credit",
          "-",
          "--out",
          out,
          "--msg-id",
          "M1",
          "--pmt-inf-id",
          "P1",
          "--initiator",
          name,
          "--name",
          name,
          "--iban",
          "DE89370400440532013000"};
}

// On a day inside the newest data file's validity (08.06.2026 to 06.09.2026).
class ZelCli : public ActivePackage {
 protected:
  void SetUp() override {
    ActivePackage::SetUp();
    zelcli::SetClock([] { return Day(2026, 7, 1); });
  }
  void TearDown() override {
    zelcli::SetClock({});
    ActivePackage::TearDown();
  }
};

// Outside the validity every command says so once, on stderr; results and
// exit codes stay; --quiet silences it; JSON results carry data_valid false.
TEST_F(ZelCli, DataOutsideItsValidityIsAnnounced) {
  const std::string notice =
      "Hinweis: Die Bankdaten von ZelObjects_2026_2.wbd gelten vom 08.06.2026 bis 06.09.2026.\n";
  struct Case {
    double today;
    bool stale;
  };
  const Case cases[] = {
      {Day(2026, 6, 7), true},   // the day before
      {Day(2026, 6, 8), false},  // the first day
      {Day(2026, 9, 6), false},  // the last day
      {Day(2026, 9, 7), true},   // the day after
      {Day(2026, 12, 8), true},
  };
  for (const Case& c : cases) {
    zelcli::SetClock([&] { return c.today; });
    const Result r = Zel({"check", "37040044", "532013000"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, "Ergebnis: 0\nErgebnistext: Ok\n");
    EXPECT_EQ(r.err, c.stale ? notice : "") << c.today;
    EXPECT_EQ(Zel({"--quiet", "check", "37040044", "532013000"}).err, "");
    const std::string json = Zel({"--json", "card", "4111111111111111"}).out;
    EXPECT_EQ(json.find("\"data_valid\":false") != std::string::npos, c.stale) << json;
    const std::string version = Zel({"version"}).out;
    EXPECT_NE(version.find(c.stale ? "Gültig: vom 08.06.2026 bis 06.09.2026 (heute nicht gültig)"
                                   : "Gültig: vom 08.06.2026 bis 06.09.2026 (heute gültig)"),
              std::string::npos)
        << version;
  }
}

TEST_F(ZelCli, SingleCheck) {
  Result r = Zel({"check", "10000000", "1234567890"});
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out, "Ergebnis: 3\nErgebnistext: Diese Bank verwendet keine Prüfziffern\n");
  r = Zel({"check", "37040044", "532013100"});
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.out, "Ergebnis: 13\nErgebnistext: Kontonummer ist ungültig (falsche Prüfziffer)\n");
  r = Zel({"check", "10060198", "1234567890"});
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.out,
            "Ergebnis: 213\nErgebnistext: Kontonummer ist ungültig (falsche Prüfziffer); BLZ "
            "wird demnächst ungültig; Nachfolge-BLZ bekannt\nNachfolge-BLZ: 37060193\n");
  r = Zel({"check", "10090300", "1"});
  EXPECT_EQ(r.rc, 1);  // 103: accepted account, but the bank goes away
  EXPECT_EQ(r.out.find("Nachfolge-BLZ:"), std::string::npos);
  EXPECT_EQ(Zel({"check", "12345678", "1"}).rc, 1);
  EXPECT_EQ(Zel({"check", "12345678"}).rc, 2);
}

TEST_F(ZelCli, MethodCheck) {
  EXPECT_EQ(Zel({"check", "--method", "00", "9290701"}).rc, 0);
  EXPECT_EQ(Zel({"check", "--method", "00", "9290702"}).rc, 1);
  EXPECT_EQ(Zel({"check", "--method", "52", "--blz", "13051172", "43001500"}).rc, 0);
  const Result r = Zel({"check", "--method", "XX", "1"});
  EXPECT_EQ(r.rc, 2);
  EXPECT_EQ(r.err, "Unbekanntes Prüfzifferverfahren: XX\n");
  EXPECT_EQ(Zel({"check", "--method"}).rc, 2);
  // A method code of another length or a bank code that is not eight digits
  // is refused, not read as something else.
  EXPECT_EQ(Zel({"check", "--method", "5", "--blz", "13051172", "43001500"}).rc, 2);
  EXPECT_EQ(Zel({"check", "--method", "52", "--blz", "3051172", "43001500"}).rc, 2);
}

TEST_F(ZelCli, HashBankCodesAreUnknownBanks) {
  Result r = Zel({"check", "#zz", "1"});
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.out.rfind("Ergebnis: -1\n", 0), 0u);
  EXPECT_EQ(Zel({"check", "-"}, "#09xxxxx 1\n").out, "#09xxxxx;1;-1;Bank existiert nicht\n");
  // A "+" the user typed is not doubled.
  EXPECT_EQ(Zel({"check", "10090300+", "1"}).out.rfind("Ergebnis: 103\n", 0), 0u);
}

TEST_F(ZelCli, BatchCheck) {
  const std::string input =
      "10000000 1\n37040044;532013000\r\n\nkaputt\n37040044,5320131\n10000000\t12A\n";
  const Result r = Zel({"check", "-"}, input);
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out,
            "10000000;1;3;Diese Bank verwendet keine Prüfziffern\n"
            "37040044;532013000;0;Ok\n"
            ";;;Zeile 4: erwartet werden Bankleitzahl und Kontonummer\n"
            "37040044;5320131;13;Kontonummer ist ungültig (falsche Prüfziffer)\n"
            "10000000;12A;12;Kontonummer darf nur Ziffern enthalten\n");
  std::ofstream(data_ / "list.txt") << "10000000 1\n";
  EXPECT_EQ(Zel({"check", "--file", (data_ / "list.txt").string()}).out,
            "10000000;1;3;Diese Bank verwendet keine Prüfziffern\n");
  EXPECT_EQ(Zel({"check", "--file", (data_ / "fehlt.txt").string()}).rc, 2);
  EXPECT_EQ(Zel({"--json", "check", "-"}, "10000000 1\nx\n").out,
            "{\"blz\":\"10000000\",\"account\":\"1\",\"code\":3,\"text\":\"Diese Bank verwendet "
            "keine Prüfziffern\"}\n{\"line\":2,\"error\":\"Zeile 2: erwartet werden "
            "Bankleitzahl und Kontonummer\"}\n");
}

TEST_F(ZelCli, BankSearchCardVersion) {
  Result r = Zel({"bank", "37050198"});
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out,
            "Name58\tSparkasse KölnBonn\nName27\tSparkasse KölnBonn\nPlz\t50667\nOrt\tKöln\n"
            "BIC\tCOLSDE33XXX\nStatus\t|U|000|00000000|$|\n");
  EXPECT_EQ(Zel({"bank", "12345678"}).rc, 1);
  r = Zel({"search", "kölnbonn"});
  EXPECT_EQ(r.rc, 0);
  EXPECT_NE(r.out.find("37050198\tSparkasse KölnBonn\n"), std::string::npos);
  EXPECT_EQ(Zel({"search", "berl"}).rc, 1);
  EXPECT_EQ(Zel({"search", "--fragments", "berl"}).rc, 0);
  // No bank name is that long: a huge text is refused, not searched per bank.
  r = Zel({"search", "--fragments", std::string(512 * 1024, 'A')});
  EXPECT_EQ(r.rc, 2);
  EXPECT_EQ(r.err, "Der Suchtext ist länger als 1000 Zeichen\n");
  EXPECT_EQ(Zel({"--json", "search", "bbk berlin"}).out,
            "[{\"blz\":\"10000000\",\"name\":\"BBk Berlin\"}]\n");
  EXPECT_EQ(Zel({"card", "4111111111111111"}).out, "Ergebnis: 0 (Ok)\n");
  EXPECT_EQ(Zel({"card", "4111111111111112"}).rc, 1);
  r = Zel({"version"});
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out.substr(0, 48), "Version vom 04.05.26 (BLZ-Stand: 08.06.26) Rev 1");
}

TEST_F(ZelCli, Iban) {
  Result r = Zel({"iban", "37040044", "532013000"});
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out, "IBAN: DE89370400440532013000\nBIC: COBADEFFXXX\n");
  EXPECT_EQ(Zel({"iban", "--spaces", "37040044", "532013000"}).out,
            "IBAN: DE89 3704 0044 0532 0130 00\nBIC: COBADEFFXXX\n");
  r = Zel({"iban", "60050009", "1"});
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.out,
            "Fehler 24: IBAN-Ermittlung nicht möglich (Dieses Konto nimmt nicht am "
            "SEPA-Zahlungsverkehr teil)\n");
  EXPECT_EQ(Zel({"iban", "37040044", "532013100"}).out,
            "Fehler 13: Kontonummer ist ungültig (falsche Prüfziffer)\n");
  EXPECT_EQ(Zel({"iban", "1234567", "1"}).out, "Die Bankleitzahl muss 8 Stellen lang sein!\n");
  EXPECT_EQ(Zel({"iban", "50810900", "1"}).out, "Fehler 1: Unbekanntes Prüfzifferverfahren\n");
  EXPECT_EQ(Zel({"iban", "--check", "DE89 3704 0044 0532 0130 00"}).out, "Ergebnis: 0 (Ok)\n");
  EXPECT_EQ(Zel({"iban", "--check", "DE89-3704"}).rc, 1);
  r = Zel({"iban", "-"}, "37040044 532013000\n12345678 1\nkaputt\n");
  EXPECT_EQ(r.out,
            "37040044;532013000;DE89370400440532013000;COBADEFFXXX\n"
            "12345678;1;;;Fehler -1: Bank existiert nicht\n"
            ";;;Zeile 3: erwartet werden Bankleitzahl und Kontonummer\n");
  EXPECT_EQ(Zel({"--json", "iban", "37040044", "532013000"}).out,
            "{\"blz\":\"37040044\",\"account\":\"532013000\",\"iban\":"
            "\"DE89370400440532013000\",\"bic\":\"COBADEFFXXX\"}\n");
}

TEST_F(ZelCli, BicSclCreditorId) {
  EXPECT_EQ(Zel({"bic", "37040044"}).out, "COBADEFFXXX\n");
  EXPECT_EQ(Zel({"bic", "10000000+"}).out, "20100\n");
  EXPECT_EQ(Zel({"bic", "20100-"}).out.substr(0, 8), "10000000");
  EXPECT_EQ(Zel({"bic", "12345678"}).rc, 1);
  Result r = Zel({"scl", "cobadeff"});
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out, "COMMERZBANK AG, SCT=1, SDD=1, COR1=1, B2B=1\n");
  EXPECT_EQ(Zel({"scl", "AABAFI22TMS"}).out, "BANK OF ALAND PLC, SCT=1, SDD=1, COR1=0, B2B=0\n");
  r = Zel({"scl", "XXXXDEFF"});
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.out, "BIC XXXXDEFF nicht im SCL-Directory gefunden\n");
  EXPECT_EQ(Zel({"creditor-id", "DE98ZZZ09999999999"}).out, "Ergebnis: 0 (Ok)\n");
  EXPECT_EQ(Zel({"creditor-id", "DE98ABC09999999999"}).rc, 0);
  EXPECT_EQ(Zel({"creditor-id", "DE98ZZZ09999999990"}).rc, 1);
  EXPECT_EQ(Zel({"creditor-id", "1"}).rc, 1);
  // The IBAN registry of today (release 101), and refusals that name their rule.
  struct Case {
    const char* iban;
    const char* answer;
  };
  const Case cases[] = {
      {"1", "12 (Eine IBAN beginnt mit dem Land (zwei Buchstaben) und den Prüfziffern 02 bis 98)"},
      {"DZ580002100001113000000570", "12 (DZ ist kein Land des IBAN-Registers)"},
      {"DE89 3704 0044 0532 0130 0", "12 (Eine IBAN aus DE hat 22 Stellen, nicht 21)"},
      {"DE89 3704 0044 0532 0130 0X", "12 (Die Kontoangabe hat nicht die Form einer IBAN aus DE)"},
      {"HN88CABF00000000000250005469", "0 (Ok)"},  // Honduras
      {"OM810180000001299123456", "0 (Ok)"},       // Oman
      {"MN121234123456789123", "0 (Ok)"},          // Mongolia
      {"FK88SC123456789012", "0 (Ok)"},            // Falkland Islands
      {"YE15CBYE0001018861234567891234", "0 (Ok)"},
      {"OM810180000001299123457", "13 (Kontonummer ist ungültig (falsche Prüfziffer))"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Zel({"iban", "--check", c.iban}).out, std::string("Ergebnis: ") + c.answer + "\n")
        << c.iban;
}

TEST_F(ZelCli, Workdays) {
  EXPECT_EQ(Zel({"workdays", "2024", "5", "--holidays", "0"}).out, "Ergebnis: 21 Arbeitstage.\n");
  EXPECT_EQ(Zel({"workdays", "2024", "Q1", "--holidays", "0"}).out, "Ergebnis: 63 Arbeitstage.\n");
  // 262 weekdays, 8 fixed holidays, and of the preset ones Ascension, Corpus
  // Christi, All Saints, 24 and 31 December (6 January 2024 is a Saturday).
  EXPECT_EQ(Zel({"workdays", "2024"}).out, "Ergebnis: 249 Arbeitstage.\n");
  EXPECT_EQ(Zel({"workdays", "2024", "5", "--saturday", "--holidays", "0"}).out,
            "Ergebnis: 25 Arbeitstage.\n");
  EXPECT_EQ(Zel({"workdays", "2024", "13"}).rc, 1);
  EXPECT_EQ(Zel({"workdays", "zweitausend"}).rc, 2);
  EXPECT_EQ(Zel({"workdays", "2024", "5", "--holidays", "viele"}).rc, 2);
}

TEST_F(ZelCli, DtausCheck) {
  {
    auto d = zel::TProxyZelDtausObject::Create("ZelDtausObject");
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->CreateFile((data_ / "z.dta").string(), "37040044", "532013000", "X", "1", 1, 0, 0),
              0);
    ASSERT_EQ(d->WriteFile("37040044", "532013000", "A", "B", "1", 51, 0, 1234500), 0);
    ASSERT_EQ(d->WriteFile("37040044", "532013100", "Falsch", "B", "2", 51, 0, 500), 0);
    ASSERT_EQ(d->CloseFile(), 0);
  }
  const Result r = Zel({"dtaus", "check", (data_ / "z.dta").string()});
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.out, "Es wurde 1 Fehler in " + (data_ / "z.dta").string() +
                       " festgestellt. Die Fehlerliste finden Sie in " +
                       (data_ / "z.out").string() +
                       "\nDaten für Diskettenbegleitzettel:\nAnzahl Datensätze C: 2\n"
                       "Summe der Beträge: 123.50\nSumme der Kontonummern: 1064026100\n"
                       "Summe der Bankleitzahlen: 74080088\n");
  EXPECT_EQ(Zel({"dtaus", "check", (data_ / "fehlt.dta").string()}).rc, 2);
  EXPECT_EQ(Zel({"dtaus", "write"}).rc, 2);
}

// A credit-transfer file from a CSV: quoted fields, both decimal marks, a
// refused row (nothing written, or with --skip-bad the good rows).
TEST_F(ZelCli, SepaCredit) {
  const std::string csv =
      "amount;name;iban;bic;purpose;reference;text\r\n"
      "10.00;Erika Müller;DE02120300000000202051;COBADEFFXXX;;R-1;Rechnung 1\r\n"
      "20,50;\"Max; Mustermann\";DE02 1203 0000 0000 2020 51;COBADEFF;GDDS;;\"Miete \"\"6\"\"\"\r\n"
      "0.05;Hans;DE00120300000000202051;COBADEFF;;;\r\n";
  const std::string out = (data_ / "sct.xml").string();
  std::vector<std::string> args = SepaCreditArgs(out, "Zelvaro GmbH");
  args.insert(args.end(), {"--bic", "COBADEFFXXX"});
  Result r = Zel(args, csv);
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("Zeile 4: IBAN ist ungültig\n"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(out));
  auto skip = args;
  skip.push_back("--skip-bad");
  r = Zel(skip, csv);
  EXPECT_EQ(r.rc, 0) << r.err;
  // The next bank day, to be handed in today at the latest (no offset).
  const std::string day = r.out.substr(r.out.find(" am ") + 4, 10);
  EXPECT_EQ(r.out, out + ": 2 Überweisungen, Summe 30,50 EUR, Ausführung am " + day +
                       ", einzureichen bis " + day + "\n");
  std::ifstream in(out);
  const std::string xml((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(xml.find("<Nm>Max  Mustermann</Nm>"), std::string::npos);
  EXPECT_NE(xml.find("<Ustrd>Miete  6</Ustrd>"), std::string::npos) << xml;
  skip[2] = (data_ / "fehlt.csv").string();
  EXPECT_EQ(Zel(skip).rc, 2);
  skip[2] = "-";
  skip[4] = skip[2] = (data_ / "same.csv").string();  // the input as output
  std::ofstream(skip[2]) << csv;
  EXPECT_EQ(Zel(skip).rc, 2);
}

// Today's credit-transfer files from CSVs as people save them: columns by
// their names, Windows-1252 or UTF-8, letters kept or folded, refusals by
// line, instant transfers, addresses and execution dates.
TEST_F(ZelCli, SepaFilesOfToday) {
  const std::string out = (data_ / "sct.xml").string();
  const std::string iban = "DE02120300000000202051";
  struct Case {
    const char* why;
    std::string csv;
    std::vector<std::string> options;
    int rc;
    std::string err, xml;  // expected in stderr and in the file
  };
  const Case cases[] = {
      {"any order and case, BOM",
       "\xEF\xBB\xBFIBAN;Name;Amount\n" + iban + ";Erika;10.00\n",
       {},
       0,
       "",
       "<Nm>Erika</Nm>"},
      {"no header line",
       "10.00;Erika;" + iban + "\n",
       {},
       1,
       "Zeile 1: Spalte \"10.00\" ist unbekannt",
       ""},
      {"missing column",
       "name;iban\nErika;" + iban + "\n",
       {},
       1,
       "Zeile 1: Spalte \"amount\" fehlt",
       ""},
      {"Windows-1252",
       "amount;name;iban\n1,00;M\xFC"
       "ller \xC7"
       "elik;" +
           iban + "\n",
       {},
       0,
       "Windows-1252",
       "<Nm>Müller Celik</Nm>"},
      {"letters beyond Windows-1252",
       "amount;name;iban\n1;Dvořák Łukasz;" + iban + "\n",
       {},
       0,
       "",
       "<Nm>Dvorak Lukasz</Nm>"},
      {"too long by line",
       "amount;name;iban\n1;A;" + iban + "\n1;" + std::string(71, 'N') + ";" + iban + "\n",
       {"--skip-bad"},
       0,
       "Zeile 3: Name länger als 70 Zeichen",
       "<NbOfTxs>1</NbOfTxs>"},
      {"address without town",
       "amount;name;iban;street;country\n1;A;" + iban + ";Weg 1;DE\n",
       {},
       1,
       "Zeile 2: Anschrift: Ort und Land sind nötig",
       ""},
      {"addresses",
       "amount;name;iban;town;country\n1;A;" + iban + ";Köln;DE\n",
       {"--town", "Berlin", "--country", "DE", "--postcode", "10115"},
       0,
       "",
       "<PstCd>10115</PstCd>"},
      {"instant", "amount;name;iban\n1;A;" + iban + "\n", {"--instant"}, 0, "", "<Cd>INST</Cd>"},
      {"past date moved",
       "amount;name;iban\n1;A;" + iban + "\n",
       {"--execution-date", "2020-06-01"},
       0,
       "vor dem frühesten möglichen Termin; es gilt 20",
       "<Dt>20"},
      {"past date refused",
       "amount;name;iban\n1;A;" + iban + "\n",
       {"--execution-date", "2020-06-01", "--strict-date"},
       2,
       "vor dem frühesten",
       ""},
      {"over a year ahead",
       "amount;name;iban\n1;A;" + iban + "\n",
       {"--execution-date", "2099-07-06"},
       2,
       "mehr als ein Jahr",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::filesystem::remove(out);
    std::vector<std::string> args = SepaCreditArgs(out, "X");
    args.insert(args.end(), c.options.begin(), c.options.end());
    const Result r = Zel(args, c.csv);
    EXPECT_EQ(r.rc, c.rc) << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    EXPECT_EQ(std::filesystem::exists(out), c.rc == 0);
    std::ifstream in(out);
    const std::string xml((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(xml.find(c.xml), std::string::npos) << xml;
  }
}

// Debit files with the mandate history: FRST, then after the merge RCUR,
// then a changed IBAN as an amendment; export and import of the history.
TEST_F(ZelCli, SepaDebitAndMandates) {
  const std::string db = (data_ / "db").string(), out = (data_ / "sdd.xml").string();
  const auto debit = [&](const std::string& iban) {
    const std::string csv =
        "customer;sequence;amount;name;iban;bic;purpose;reference;text;mandate;mandate_date\n"
        "7;;12,50;Erika Mustermann;" +
        iban + ";BYLADEM1001;;;Beitrag;M-7;2023-01-15\n";
    const Result r = Zel({"sepa", "debit", "-", "--out", out, "--msg-id", "M1", "--initiator",
                          "Verein", "--name", "Verein", "--iban", "DE89370400440532013000", "--bic",
                          "COBADEFFXXX", "--creditor-id", "DE98ZZZ09999999999", "--db-dir", db},
                         csv);
    EXPECT_EQ(r.rc, 0) << r.err;
    std::ifstream in(out);
    return r.out + std::string((std::istreambuf_iterator<char>(in)), {});
  };
  std::string text = debit("DE02120300000000202051");
  EXPECT_NE(text.find("1 Lastschrift, Summe 12,50 EUR"), std::string::npos) << text;
  EXPECT_NE(text.find("1 Lastschrift für die Mandantenhistorie 1 vorgemerkt"), std::string::npos);
  EXPECT_NE(text.find("<SeqTp>FRST</SeqTp>"), std::string::npos);
  EXPECT_EQ(Zel({"mandates", "list", "--db-dir", db}).out,
            "Mandant 1: 1 vorgemerkte Lastschriften\n");
  EXPECT_EQ(Zel({"mandates", "merge", "--db-dir", db}).rc, 0);
  EXPECT_NE(debit("DE02120300000000202051").find("<SeqTp>RCUR</SeqTp>"), std::string::npos);
  EXPECT_EQ(Zel({"mandates", "merge", "--db-dir", db}).rc, 0);
  text = debit("DE12500105170648489890");
  EXPECT_NE(text.find("<AmdmntInd>true</AmdmntInd>"), std::string::npos);
  EXPECT_NE(text.find("<IBAN>DE02120300000000202051</IBAN>"), std::string::npos);
  const std::string file = (data_ / "history.txt").string();
  EXPECT_EQ(Zel({"mandates", "export", file, "--db-dir", db}).rc, 0);
  EXPECT_EQ(Zel({"mandates", "import", file, "--mandant", "2", "--db-dir", db}).rc, 0);
  EXPECT_EQ(Zel({"mandates", "import", (data_ / "fehlt").string(), "--db-dir", db}).rc, 2);
  EXPECT_EQ(Zel({"mandates", "delete-temp", "--db-dir", db}).rc, 0);
  EXPECT_EQ(Zel({"mandates", "merge", "--db-dir", db}).rc, 2);  // nothing pending
}

TEST_F(ZelCli, OnlineBic) {
  zeltest::LocalHttpServer server([](const std::string&) {
    return zeltest::LocalHttpServer::Answer{"Query results<td>2 Record(s)"};
  });
  ::setenv("ZELVARO_BIC_URL", server.Url().c_str(), 1);
  Result r = Zel({"bic", "--online", "DEUTDEFF", "--timeout", "5"});
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out, "Ergebnis: 2 (Es wurden 2 Datensätze gefunden.)\n");
  EXPECT_EQ(Zel({"bic", "--online", "DEUTDEFF", "--proxy", "nirgends"}).rc, 2);
  ::setenv("ZELVARO_BIC_URL", "http://127.0.0.1:1/biconline/index.cfm", 1);
  r = Zel({"bic", "--online", "DEUTDEFF"});
  EXPECT_EQ(r.rc, 2);
  EXPECT_EQ(r.err, "Verbindung zum Server konnte nicht hergestellt werden\n");
  ::unsetenv("ZELVARO_BIC_URL");
}

TEST_F(ZelCli, CsvBatchCheck) {
  const std::string in = (data_ / "konten.csv").string();
  std::ofstream(in) << "Name;Ort;BLZ;Konto\nA;B;\"37040044.0\";1234567890\nC;D;;1\n";
  Result r = Zel({"csv", in, "--sep", ";", "--blz-col", "3", "--kto-col", "4"});
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(r.out, "Fertig! Ergebnis in " + (data_ / "konten.out").string() +
                       " (2 Bankverbindungen geprüft, 2 Fehler)\n");
  std::ifstream report(data_ / "konten.out");
  std::string first;
  std::getline(report, first);
  EXPECT_EQ(first, "Zeile: \"Name\";\"Ort\";\"BLZ\";\"Konto\"\r");
  std::ofstream(in) << "37040044,532013000\n";
  EXPECT_EQ(Zel({"csv", in, "--blz-col", "1", "--kto-col", "2"}).out,
            "Fertig! Ergebnis in " + (data_ / "konten.out").string() +
                " (1 Bankverbindung geprüft, 0 Fehler)\n");
  EXPECT_EQ(Zel({"csv", in, "--sep", "x"}).rc, 2);
  // "CSV UTF-8" of a spreadsheet: the byte-order mark is skipped (the bank
  // code of the first record is read), the report is UTF-8 throughout and
  // starts with the mark again; a Windows-1252 file keeps its encoding.
  struct Case {
    const char* why;
    std::string input, report;
  };
  const Case cases[] = {
      {"UTF-8 with mark",
       "\xEF\xBB\xBF"
       "37040044;532013100;Jörg\n",
       "\xEF\xBB\xBF"
       "Zeile: \"37040044\";\"532013100\";\"Jörg\"\r\n"
       "Kontonummer ist ungültig (falsche Prüfziffer)\r\n"},
      {"Windows-1252", "37040044;532013100;J\xF6rg\n",
       "Zeile: \"37040044\";\"532013100\";\"J\xF6rg\"\r\n"
       "Kontonummer ist ung\xFCltig (falsche Pr\xFC"
       "fziffer)\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    std::ofstream(in, std::ios::binary) << c.input;
    EXPECT_EQ(Zel({"csv", in, "--sep", ";", "--blz-col", "1", "--kto-col", "2"}).rc, 1);
    EXPECT_EQ(zeltest::ReadFile(data_ / "konten.out"), c.report);
  }
  EXPECT_EQ(Zel({"csv", (data_ / "fehlt.csv").string()}).rc, 2);
}

// A DTAUS file from a CSV: a refused row keeps the file from being written
// unless --skip-bad; the control totals follow.
// New files take the umask's mode; a link at the DTAUS output is refused,
// never written through; the temporary file leaves nothing behind.
TEST_F(ZelCli, OutputsFollowTheUmaskAndNoLink) {
  const std::string csv =
      "blz;account;name;purpose;internal;key;key_ext;amount\n"
      "37040044;532013000;Erika Mustermann;Miete;1;51;0;12,50\n";
  const std::string out = (data_ / "z.dta").string(), victim = (data_ / "victim").string();
  std::ofstream(victim) << "keep";
  std::filesystem::create_symlink(victim, out);
  const std::vector<std::string> args = {"dtaus",     "write",  "-",           "--out",
                                         out,         "--blz",  "37040044",    "--account",
                                         "532013000", "--name", "Zelvaro GmbH"};
  EXPECT_EQ(Zel(args, csv).rc, 2);  // a link in the output's place is refused
  EXPECT_EQ(zeltest::ReadFile(data_ / "victim"), "keep");
  std::filesystem::remove(out);
  const mode_t old = ::umask(027);
  const Result r = Zel(args, csv);
  std::ofstream(data_ / "k.csv") << "37040044,532013000\n";
  const int csvRc = Zel({"csv", (data_ / "k.csv").string(), "--blz-col", "1", "--kto-col", "2",
                         "--append", "--out", (data_ / "k.out").string()})
                        .rc;
  ::umask(old);
  EXPECT_EQ(r.rc, 0) << r.err;
  for (const char* f : {"z.dta", "k.out"}) {
    struct stat st {};
    ASSERT_EQ(::stat((data_ / f).c_str(), &st), 0) << f;
    EXPECT_EQ(st.st_mode & 0777, 0640u) << f;
  }
  EXPECT_EQ(csvRc, 0);
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(data_))
    files += e.path().filename().string().rfind(".z.dta", 0) == 0;
  EXPECT_EQ(files, 0);  // no temporary file left
}

TEST_F(ZelCli, DtausWrite) {
  const std::string csv =
      "blz;account;name;purpose;internal;key;key_ext;amount\n"
      "37040044;532013000;Erika Mustermann;Miete;1;51;0;12,50\n"
      "37040044;532013100;Max;Test;2;51;0;1.00\n";
  const std::string out = (data_ / "z.dta").string();
  std::vector<std::string> args = {"dtaus",     "write",  "-",           "--out",
                                   out,         "--blz",  "37040044",    "--account",
                                   "532013000", "--name", "Zelvaro GmbH"};
  Result r = Zel(args, csv);
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("Zeile 3: "), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(out));
  args.push_back("--skip-bad");
  r = Zel(args, csv);
  EXPECT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, out +
                       ": 1 Zahlung, Summe 12,50 EUR\nDaten für Diskettenbegleitzettel:\n"
                       "Anzahl Datensätze C: 1\nSumme der Beträge: 12.50\n"
                       "Summe der Kontonummern: 532013000\nSumme der Bankleitzahlen: 37040044\n");
  EXPECT_EQ(Zel({"dtaus", "check", out}).rc, 0);
  // A file in US dollars: the special bank code, the currency behind the name.
  args = {"dtaus",  "write",        "-",          "--out",  out,          "--account", "532013000",
          "--name", "Zelvaro GmbH", "--currency", "USD-US", "--no-check", "--skip-bad"};
  r = Zel(args, csv);
  ASSERT_EQ(r.rc, 0) << r.err;
  std::ifstream in(out, std::ios::binary);
  const std::string dta((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(dta.substr(7, 8), "99935000");
  EXPECT_EQ(dta.substr(127, 1), " ");  // not euro
  EXPECT_EQ(Zel({"dtaus", "write", "-", "--out", out, "--account", "1", "--name", "X", "--currency",
                 "US"},
                csv)
                .rc,
            2);
}

// A header that cannot be written (405, here a file-size limit in a child
// process) is reported, and the payments are still tried.
TEST_F(ZelCli, DtausWriteGoesOnAfter405) {
  int pipe[2];
  ASSERT_EQ(::pipe(pipe), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64, 64};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const Result r = Zel({"dtaus", "write", "-", "--out", (data_ / "z.dta").string(), "--blz",
                          "37040044", "--account", "532013000", "--name", "X"},
                         "blz;account;name;purpose;internal;key;key_ext;amount\n"
                         "37040044;532013000;Erika;Miete;1;51;0;12,50\n");
    [[maybe_unused]] auto n = ::write(pipe[1], r.err.data(), r.err.size());
    ::_exit(r.rc);
  }
  ::close(pipe[1]);
  std::string err;
  char buf[4096];
  for (ssize_t n; (n = ::read(pipe[0], buf, sizeof buf)) > 0;)
    err.append(buf, static_cast<std::size_t>(n));
  ::close(pipe[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 2);  // the file could not be completed
  EXPECT_NE(err.find("konnte der A-Satz nicht richtig geschrieben werden"), std::string::npos);
  EXPECT_NE(err.find("Zeile 2: "), std::string::npos) << err;  // the payment was tried
  EXPECT_FALSE(std::filesystem::exists(data_ / "z.dta"));
}

TEST_F(ZelCli, DataFiles) {
  const Result r = Zel({"data", "list"});
  EXPECT_EQ(r.rc, 0);
  EXPECT_NE(r.out.find("* ZelObjects_2026_2.wbd  gültig vom 08.06.2026 bis 06.09.2026\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("  ZelObjects_2013_4.wbd  gültig vom 09.12.2013 bis 02.03.2014\n"),
            std::string::npos);
  EXPECT_EQ(Zel({"data", "unpack", (data_ / "fehlt.wbp").string()}).rc, 1);
  EXPECT_EQ(Zel({"data", "activate", "ZelObjects_1999_1.wbd"}).rc, 1);
  EXPECT_EQ(Zel({"data", "frobnicate"}).rc, 2);
}

TEST_F(ZelCli, OtherDataFileForOneRun) {
  const Result r = Zel({"--data", (data_ / kOldFile).string(), "version"});
  EXPECT_EQ(r.rc, 0);
  EXPECT_EQ(r.out.substr(0, 48), "Version vom 11.11.13 (BLZ-Stand: 09.12.13) Rev 1");
  const std::string conf = Read(root_ / "config" / "zelvaro" / "zelvaro.conf");
  EXPECT_EQ(conf.find(kOldFile), std::string::npos);  // not remembered
  EXPECT_EQ(Zel({"--data", (data_ / "fehlt.wbd").string(), "version"}).rc, 2);
}

TEST_F(ZelCli, UsageAndHelp) {
  EXPECT_EQ(Zel({}).rc, 2);
  EXPECT_EQ(Zel({"--help"}).rc, 0);
  EXPECT_NE(Zel({"--help"}).out.find("zel check BLZ KONTO"), std::string::npos);
  const Result r = Zel({"check", "--help"});
  EXPECT_EQ(r.rc, 0);
  EXPECT_NE(r.out.find("BLZ;KONTO;CODE;TEXT"), std::string::npos);
  EXPECT_EQ(Zel({"gibtsnicht"}).rc, 2);
  EXPECT_EQ(Zel({"card"}).rc, 2);
  const Result r2 = Zel({"check", "--frobnicate", "10000000", "1"});
  EXPECT_EQ(r2.rc, 2);
  EXPECT_EQ(r2.err, "Unbekannte Option: --frobnicate\n");
  EXPECT_EQ(Zel({"check", "--method"}).err, "Die Option --method braucht einen Wert.\n");
}

// The batch outputs of a generated list of 100,000 lines against lines put
// together one by one from the proxy's single answers.
TEST_F(ZelCli, BatchOutputsMatchTheSingleAnswers) {
  auto p = zel::TProxyZelProbeObject::Create("ZelProbeObject");
  std::vector<std::string> codes;
  for (std::string code = p->GetFirstBank(); !code.empty(); code = p->GetNextBank())
    codes.push_back(code);
  std::mt19937_64 rng(99);
  std::string input, checks, ibans, csv;
  // More lines than one core takes alone: the rest goes in blocks to every
  // core, and the answers must come in input order, the same bytes.
  for (int i = 1; i <= 150000; ++i) {
    if (i % 997 == 0) {  // now and then a line that is not a pair
      input += "kaputt\n";
      const std::string why =
          ";;;Zeile " + std::to_string(i) + ": erwartet werden Bankleitzahl und Kontonummer\n";
      checks += why;
      ibans += why;
      continue;
    }
    const std::string blz = i % 1009 == 0 ? "12345678" : codes[rng() % codes.size()];
    const std::string kto = std::to_string(rng() % 9999999999 + 1);
    input += blz + (i % 2 ? " " : ";") + kto + "\n";
    csv += (i % 499 ? "K" + std::to_string(i) : "\"Name\nzweite Zeile\"") + ";" + blz + ";" + kto +
           "\n";
    const int code = p->TestBlzKto(blz + "+", kto);
    checks += blz + ";" + kto + ";" + std::to_string(code) + ";" +
              zel::Cp1252ToUtf8(p->GetErrorMessage(code)) + "\n";
    const std::string answer = p->GetIban(blz + "*", kto, false);
    const std::size_t tilde = answer.find('~');
    ibans += blz + ";" + kto + ";" +
             (answer[0] == '*' ? ";;" : answer.substr(0, tilde) + ";" + answer.substr(tilde + 1));
    if (answer[0] == '*') {
      const int n = std::stoi(answer.substr(1));
      ibans +=
          n == 24 ? "Fehler 24: IBAN-Ermittlung nicht möglich"
                  : "Fehler " + std::to_string(n) + ": " + zel::Cp1252ToUtf8(p->GetErrorMessage(n));
      if (answer.find(" NS") != std::string::npos)
        ibans += " (Dieses Konto nimmt nicht am SEPA-Zahlungsverkehr teil)";
      else if (answer.find(" UN") != std::string::npos)
        ibans += " (Ein mögliches Unterkonto kann nicht ermittelt werden)";
      else if (answer.size() > 4 && answer[answer.size() - 3] == ' ')
        ibans +=
            " (Es ist der interne Fehler " + answer.substr(answer.size() - 2) + " aufgetreten)";
    }
    ibans += "\n";
  }
  std::ofstream(data_ / "list.txt") << input;
  EXPECT_EQ(Zel({"check", "-"}, input).out, checks);
  EXPECT_EQ(Zel({"check", "-", "--jobs", "3"}, input).out, checks);
  EXPECT_EQ(Zel({"check", "--file", (data_ / "list.txt").string(), "--jobs", "1"}).out, checks);
  EXPECT_EQ(Zel({"iban", "-", "--jobs", "4"}, input).out, ibans);
  // zel csv: records (some over two lines) on every core, the same file as
  // on one, in both modes.
  std::ofstream(data_ / "list.csv") << csv;
  for (bool append : {true, false}) {
    std::string outputs[2];
    for (int jobs : {1, 3}) {
      const auto out = (data_ / ("out" + std::to_string(jobs))).string();
      std::vector<std::string> args = {"csv",       (data_ / "list.csv").string(),
                                       "--sep",     ";",
                                       "--blz-col", "2",
                                       "--kto-col", "3",
                                       "--out",     out,
                                       "--jobs",    std::to_string(jobs)};
      if (append) args.push_back("--append");
      Zel(args);
      outputs[jobs / 3] = Read(out);
    }
    EXPECT_GT(outputs[0].size(), 100000u) << append;
    EXPECT_EQ(outputs[0], outputs[1]) << append;
  }
}

// An endless input without a line break, made on the fly.
class Zeros : public std::streambuf {
 public:
  explicit Zeros(std::size_t count, std::string tail) : fLeft(count), fTail(std::move(tail)) {}

 protected:
  int_type underflow() override {
    if (fLeft > 0) {
      const std::size_t n = std::min(fLeft, fChunk.size());
      fLeft -= n;
      setg(fChunk.data(), fChunk.data(), fChunk.data() + n);
    } else if (!fTail.empty()) {
      fChunk.assign(fTail.begin(), fTail.end());
      fTail.clear();
      setg(fChunk.data(), fChunk.data(), fChunk.data() + fChunk.size());
    } else {
      return traits_type::eof();
    }
    return traits_type::to_int_type(*gptr());
  }

 private:
  std::size_t fLeft;
  std::string fTail;
  std::vector<char> fChunk = std::vector<char>(1 << 16, '0');
};

long PeakKilobytes() {
  rusage u;
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

TEST_F(ZelCli, OverlongBatchLineKeepsMemoryFlat) {
  Zeros zeros(std::size_t{256} << 20, "\n10000000 1\n");  // 256 MB, then a good line
  std::istream in(&zeros);
  std::ostringstream out, err;
  const long before = PeakKilobytes();
  EXPECT_EQ(zelcli::Run({"check", "-"}, in, out, err), 0);
  EXPECT_LT(PeakKilobytes() - before, 32 * 1024);  // far below the line's size
  EXPECT_EQ(out.str(),
            ";;;Zeile 1: die Zeile ist länger als 4096 Zeichen\n"
            "10000000;1;3;Diese Bank verwendet keine Prüfziffern\n");
}

// A stream whose every write fails, like standard output on a full disk.
class Full : public std::streambuf {
 protected:
  int_type overflow(int_type) override { return traits_type::eof(); }
};

TEST_F(ZelCli, SmallFaultsOfTheCommandLine) {
  EXPECT_EQ(Zel({"card", "1234"}).rc, 1);  // a card kind that is not checked
  EXPECT_EQ(Zel({"--json", "card", "ä"}).out,
            "{\"number\":\"ä\",\"code\":12,\"text\":\"Kontonummer darf nur Ziffern enthalten\"}\n");
  // "1" as an overlong two-byte form is no digit.
  EXPECT_EQ(Zel({"check", "10000000", "\xC0\xB1"}).out.substr(0, 13), "Ergebnis: 12\n");
  EXPECT_EQ(Zel({"workdays", "10000"}).out,
            "Das Jahr 10000 liegt außerhalb des Kalenders (1 bis 9999).\n");
  EXPECT_EQ(Zel({"iban", "37040044", "abc"}).out,
            "Fehler 12: Kontonummer darf nur Ziffern enthalten\n");
  Full full;
  std::ostream out(&full);
  std::istringstream in;
  std::ostringstream err;
  EXPECT_EQ(zelcli::Run({"check", "10000000", "1"}, in, out, err), 2);
  EXPECT_EQ(err.str(), "Die Ausgabe kann nicht geschrieben werden.\n");
}

TEST_F(ZelCli, DtausPathsAreNeverSpecialNames) {
  const fs::path cwd = fs::current_path();
  fs::current_path(data_);
  const Result r = Zel({"dtaus", "check", "*A"});
  EXPECT_EQ(r.rc, 2);  // the file "*A" does not exist; no special function ran
  EXPECT_NE(r.err.find("./*A kann nicht gelesen werden"), std::string::npos);
  fs::create_directory(data_ / "hid");
  {
    auto d = zel::TProxyZelDtausObject::Create("ZelDtausObject");
    ASSERT_EQ(d->CreateFile((data_ / "hid" / ".dta").string(), "37040044", "532013000", "X", "1", 1,
                            0, 0),
              0);
    ASSERT_EQ(d->WriteFile("37040044", "532013100", "Falsch", "B", "2", 51, 0, 500), 0);
    ASSERT_EQ(d->CloseFile(), 0);
  }
  EXPECT_NE(Zel({"dtaus", "check", "hid/.dta"}).out.find("finden Sie in hid/.dta.out\n"),
            std::string::npos);
  EXPECT_TRUE(fs::exists(data_ / "hid" / ".dta.out"));
  fs::current_path(cwd);
}

TEST_F(PackageFixture, ZelWithoutDataFile) {
  fs::remove(data_ / kNewFile);
  fs::remove(data_ / kOldFile);
  const Result r = Zel({"check", "10000000", "1"});
  EXPECT_EQ(r.rc, 2);
  EXPECT_EQ(r.err, "Es ist keine Datendatei geladen!\n");
  EXPECT_EQ(r.out, "");
}

}  // namespace
