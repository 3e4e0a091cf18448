#include "ZelCli.h"

#include <functional>
#include <ostream>

#include "CliCommon.h"
#include "Commands.h"
#include "ZelPackage.h"

namespace zelcli {
namespace {

using zel::Cp1252ToUtf8;

// Options that take a value; all others are flags.
bool TakesValue(const std::string& o) {
  static const char* const kValued[] = {"--method",
                                        "--blz",
                                        "--file",
                                        "--data",
                                        "--holidays",
                                        "--out",
                                        "--msg-id",
                                        "--pmt-inf-id",
                                        "--initiator",
                                        "--name",
                                        "--iban",
                                        "--bic",
                                        "--category-purpose",
                                        "--sepa-version",
                                        "--execution-date",
                                        "--creditor-id",
                                        "--type",
                                        "--mandant",
                                        "--db-dir",
                                        "--tables",
                                        "--db",
                                        "--dsn",
                                        "--mssql",
                                        "--user",
                                        "--password",
                                        "--translation",
                                        "--user-id",
                                        "--proxy",
                                        "--timeout",
                                        "--blz-col",
                                        "--kto-col",
                                        "--sep",
                                        "--account",
                                        "--type",
                                        "--reference",
                                        "--days-ahead",
                                        "--currency",
                                        "--street",
                                        "--building",
                                        "--postcode",
                                        "--town",
                                        "--country",
                                        "--key",
                                        "--jobs"};
  for (const char* v : kValued)
    if (o == v) return true;
  return false;
}

// Flags without a value.
bool IsFlag(const std::string& o) {
  return o == "--json" || o == "--help" || o == "--fragments" || o == "--spaces" ||
         o == "--check" || o == "--saturday" || o == "--quiet" || o == "--version" ||
         o == "--skip-bad" || o == "--no-transaction" || o == "--online" || o == "--append" ||
         o == "--no-check" || o == "--euro" || o == "--instant" || o == "--strict-date" ||
         o == "--allow-duplicates" || o == "--insecure-http";
}

// ---------------------------------------------------------------------------
// command table and help

struct Command {
  const char* name;
  const char* usage;
  const char* help;
  std::function<int(Context&)> run;
};

const Command kCommands[] = {
    {"check",
     "zel check BLZ KONTO | zel check --method CODE [--blz BLZ] KONTO | zel check - [--jobs N] | "
     "zel check --file DATEI [--jobs N]",
     "Prüft eine Kontonummer mit der Prüfziffermethode der Bank (oder einer genannten Methode).\n"
     "Mit \"-\" oder --file werden Zeilen \"BLZ KONTO\" (getrennt durch Leerzeichen, Tab, \";\" "
     "oder \",\")\n"
     "gelesen und je Zeile \"BLZ;KONTO;CODE;TEXT\" ausgegeben; große Eingaben auf allen Kernen\n"
     "(--jobs N: höchstens N), die Ausgabe in der Reihenfolge der Eingabe.",
     Check},
    {"iban",
     "zel iban BLZ KONTO [--spaces] | zel iban --check IBAN | zel iban - | zel iban --file DATEI",
     "Ermittelt IBAN und BIC nach den IBAN-Regeln der Bundesbank (--spaces: in Vierergruppen),\n"
     "oder prüft eine IBAN (--check). Mit \"-\" oder --file werden Zeilen \"BLZ KONTO\" gelesen "
     "und je\n"
     "Zeile \"BLZ;KONTO;IBAN;BIC\" ausgegeben (bei einem Fehler mit dem Fehlertext als fünftem "
     "Feld).",
     Iban},
    {"bic",
     "zel bic BLZ | zel bic BLZ+ | zel bic PAN- | zel bic --online BIC [--proxy HOST:PORT] "
     "[--timeout SEKUNDEN]",
     "Zeigt den BIC einer Bank; mit \"+\" hinter der Bankleitzahl die Kartenherausgebernummer "
     "(PAN),\n"
     "mit \"-\" hinter einer PAN die Bankleitzahlen aller Banken mit dieser PAN.\n"
     "--online fragt die BIC-Suche von SWIFT, wie viele Einträge zu einem BIC passen\n"
     "(Adresse: $ZELVARO_BIC_URL oder BicSearchUrl= in der Konfigurationsdatei).",
     Bic},
    {"scl", "zel scl BIC",
     "Fragt das SCL-Directory der Bundesbank: Name der Bank und Erreichbarkeit für\n"
     "SCT, SDD, COR1 und B2B (1 erreichbar, 0 nicht erreichbar).",
     Scl},
    {"creditor-id", "zel creditor-id ID", "Prüft eine Gläubiger-Identifikationsnummer.",
     CreditorId},
    {"workdays", "zel workdays JAHR [MONAT|Q1..Q4] [--saturday] [--holidays MENGE]",
     "Zählt die Bankarbeitstage eines Jahres, Monats (1-12) oder Quartals (Q1-Q4); auch die\n"
     "Codes 0, 1-12, 41-44 und 101-112 (ab heute) gehen. --saturday: Samstage zählen mit.\n"
     "--holidays: Summe der Feiertage (1 Hl. Drei Könige, 2 Himmelfahrt, 4 Fronleichnam,\n"
     "8 8. August, 16 Mariä Himmelfahrt, 32 Reformationstag, 64 Allerheiligen, 128 2. November,\n"
     "256 Buß- und Bettag, 512 Heiligabend, 1024 Silvester); Vorgabe 1607.",
     Workdays},
    {"dtaus",
     "zel dtaus check DATEI | zel dtaus write ZAHLUNGEN.csv --out DATEI --blz BLZ --account KONTO "
     "--name NAME [--type GK|LK] [--reference TEXT] [--no-check] [--days-ahead N] "
     "[--euro|--currency "
     "WÄHRUNG-LAND] [--skip-bad]",
     "Prüft eine DTAUS-Datei: Kontoprüfung aller Zahlungen (Fehlerliste in DATEI mit Endung .out)\n"
     "und die Kontrollsummen für den Diskettenbegleitzettel. write schreibt eine DTAUS-Datei\n"
     "(GK Gutschriften, LK Lastschriften) aus einer CSV-Datei mit den Spalten\n"
     "BLZ;Konto;Name;Verwendungszweck;Intern;Textschlüssel;Ergänzung;Betrag und zeigt die\n"
     "Kontrollsummen; abgelehnte Zeilen wie bei zel sepa credit. --euro oder --currency USD-US\n"
     "schreiben eine Datei in Währung (Auftraggeber-BLZ 99935000, Währung und Land hinter dem\n"
     "Namen).",
     Dtaus},
    {"sepa",
     "zel sepa credit ZAHLUNGEN.csv --out DATEI.xml --msg-id ID --pmt-inf-id ID --initiator NAME "
     "--name NAME --iban IBAN [--bic BIC] [--street S --building N --postcode P --town O "
     "--country LL] [--instant] [--category-purpose CODE] [--sepa-version 39|25|26|27] "
     "[--execution-date JJJJ-MM-TT [--strict-date]] [--skip-bad] | zel sepa debit "
     "LASTSCHRIFTEN.csv --out DATEI.xml --msg-id ID --initiator NAME --name NAME --iban IBAN "
     "[--bic BIC] --creditor-id ID [Anschrift wie oben] [--type CORE|B2B|COR1] [--sepa-version "
     "39|25|26|27] [--mandant N] [--db-dir VERZEICHNIS] [--execution-date JJJJ-MM-TT "
     "[--strict-date]] [--skip-bad]",
     "Schreibt eine SEPA-Überweisungsdatei, wie die Banken sie heute annehmen (pain.001.001.09,\n"
     "Version 3.9; --instant: Echtzeitüberweisung), aus einer CSV-Datei, deren erste Zeile die\n"
     "Spalten nennt (beliebige Reihenfolge; UTF-8 oder Windows-1252; \";\" oder \",\"):\n"
     "amount;name;iban;bic;purpose;reference;text;street;building;postcode;town;country\n"
     "(Pflicht: amount, name, iban; Betrag wie 1234.56 oder 1234,56). --name, --iban und --bic\n"
     "sind das Konto des Auftraggebers, --street bis --country seine Anschrift. Die Datei wird\n"
     "vor dem Speichern gegen das XML-Schema ihrer Version geprüft. Abgelehnte Zeilen werden mit\n"
     "Zeilennummer gemeldet; dann wird nichts geschrieben, außer mit --skip-bad. Ein zu frühes\n"
     "Ausführungsdatum wird auf den frühesten Termin verschoben (--strict-date: abgelehnt).\n\n"
     "sepa debit schreibt eine SEPA-Lastschriftdatei (pain.008.001.08) mit den Spalten\n"
     "customer;sequence;amount;name;iban;bic;purpose;reference;text;mandate;mandate_date und der\n"
     "Anschrift (Pflicht: amount, name, iban, mandate, mandate_date; sequence OOFF, FRST, RCUR,\n"
     "FNAL oder leer für automatisch aus der Mandantenhistorie). Die Lastschriften bekannter\n"
     "Kunden werden mit der gespeicherten Datei für die Mandantenhistorie (--mandant, Vorgabe 1)\n"
     "vorgemerkt; zel mandates merge übernimmt sie.",
     Sepa},
    {"mandates",
     "zel mandates list|merge|delete-temp|export DATEI|import DATEI [--mandant N] "
     "[--db-dir VERZEICHNIS]",
     "Die Mandantenhistorie der Lastschriften: vorgemerkte Lastschriften zeigen (list), in die\n"
     "Historie übernehmen (merge), verwerfen (delete-temp), als Textdatei mit Zeilen zu 242\n"
     "Zeichen exportieren oder importieren.",
     Mandates},
    {"statements",
     "zel statements init-db DATEI.sqlite [--tables AUSZUEGE#UMSAETZE] | zel statements import "
     "(--db DATEI.sqlite | --dsn NAME [--user U --password P] | --mssql SERVER[/DATENBANK] "
     "[--user U --password P]) [--tables A#U] [--translation PAARE] [--user-id N] "
     "[--no-transaction] [--allow-duplicates] DATEIEN...",
     "Liest Kontoauszüge in zwei Tabellen einer Datenbank (Vorgabe KontoAuszuege und\n"
     "KontoUmsaetze): camt.053, camt.052 und camt.054 (Versionen 02 bis 08), ZIP-Archive davon\n"
     "und MT940; das Format erkennt zel am Inhalt. Ziel ist eine SQLite-Datei, eine\n"
     "ODBC-Datenquelle oder ein SQL Server (FreeTDS; ohne --user mit integrierter Anmeldung).\n"
     "init-db legt die Tabellen an. Ein Auszug, der schon in der Datenbank steht (Konto,\n"
     "Auszugsnummer, Schlussdatum), wird übersprungen, außer mit --allow-duplicates.\n"
     "--translation: Codepaare für :NS:-Felder wie 22=20,23=21. Je Datei werden die\n"
     "übernommenen Auszüge und Umsätze gemeldet, oder Fehlercode und Meldung; kann eine Zeile\n"
     "nicht geschrieben werden, wird die ganze Datei zurückgenommen.",
     Statements},
    {"csv",
     "zel csv DATEI [--blz-col N] [--kto-col N] [--sep ';'|','|tab] [--append] [--out DATEI] "
     "[--jobs N]",
     "Prüft alle Bankverbindungen einer Text-/CSV-Datei (Spalten wie im Fenster: Vorgabe BLZ 13,\n"
     "Konto 12; Felder in Anführungszeichen auch über Zeilen). Ohne --append stehen die Zeilen\n"
     "mit Fehlern und ihr Fehlertext in DATEI mit Endung .out, mit --append jede geprüfte Zeile\n"
     "mit Code, IBAN und BIC (oder in --out). Große Dateien (ab etwa 100.000 Zeilen) werden auf\n"
     "alle Kerne verteilt (--jobs N: höchstens N), die Ausgabe ist dieselbe wie auf einem.",
     Csv},
    {"data",
     "zel data list | zel data activate DATEI | zel data unpack DATEI | zel data check-update "
     "[--user U --password P] | zel data download [--user U --password P] [--insecure-http] | "
     "zel data keygen "
     "SCHLUESSEL | zel data sign DATEI --key SCHLUESSEL",
     "Die Datendateien: list zeigt jede Datei des Datenverzeichnisses mit ihrer Gültigkeit (* die\n"
     "aktive), activate aktiviert eine Datei (mit Verzeichnis: das wird das Datenverzeichnis),\n"
     "unpack entpackt eine gepackte Datei (.wbp), check-update fragt den Update-Server nach einer\n"
     "neueren Datei, download lädt sie herunter (Benutzer und Kennwort auch aus\n"
     "UpdateUser=/UpdatePassword= der Konfigurationsdatei). Eine Datendatei wird nur geladen,\n"
     "wenn sie mit einem vertrauenswürdigen Schlüssel signiert ist: keygen legt ein\n"
     "Schlüsselpaar an, sign signiert eine selbst gebaute Datendatei; ihr öffentlicher Schlüssel\n"
     "(.pub) gehört nach ~/.config/zelvaro/trusted-keys oder /etc/zelvaro/trusted-keys.",
     Data},
    {"bank", "zel bank BLZ", "Zeigt die Daten einer Bank: Name58, Name27, Plz, Ort, BIC, Status.",
     Bank},
    {"search", "zel search [--fragments] [TEXT]",
     "Sucht Banken nach Wörtern ihres Kurznamens (mit \"+\" am Ende auch im vollen Namen);\n"
     "ohne TEXT werden alle Banken gelistet. Ausgabe: BLZ, Tab, Kurzname.",
     Search},
    {"card", "zel card NUMMER", "Prüft eine Kreditkartennummer.", Card},
    {"version", "zel version", "Zeigt die Version der geladenen Datendatei.", Version},
};

void Usage(std::ostream& o) {
  o << "Aufruf: zel [--json] [--data DATEI] BEFEHL ...\n\nBefehle:\n";
  for (const Command& cmd : kCommands) o << "  " << cmd.usage << "\n\n";
  o << "\nOptionen:\n"
       "  --json         Ausgabe als JSON\n"
       "  --data DATEI   diese Datendatei (.wbd) für diesen Aufruf verwenden\n"
       "  --quiet        keinen Hinweis auf abgelaufene Bankdaten ausgeben\n"
       "  --help         diese Hilfe; zel BEFEHL --help zeigt die Hilfe eines Befehls\n"
       "  --version      die Version von zel\n\n"
       "Rückgabewert: 0 angenommen, 1 abgelehnt, 2 falscher Aufruf oder keine Datendatei.\n";
}

bool Parse(const std::vector<std::string>& argv, Args& a, std::string& error) {
  for (std::size_t i = 0; i < argv.size(); ++i) {
    const std::string& w = argv[i];
    if (w.size() > 2 && w.rfind("--", 0) == 0) {
      if (TakesValue(w)) {
        if (i + 1 >= argv.size()) {
          error = "Die Option " + w + " braucht einen Wert.";
          return false;
        }
        a.options[w] = argv[++i];
      } else if (IsFlag(w)) {
        a.options[w] = "";
      } else {
        error = "Unbekannte Option: " + w;
        return false;
      }
    } else {
      a.words.push_back(w);
    }
  }
  return true;
}

}  // namespace

int Run(const std::vector<std::string>& argv, std::istream& in, std::ostream& out,
        std::ostream& err) {
  Context c{{}, in, out, err};
  std::string error;
  if (!Parse(argv, c.args, error)) {
    err << error << "\n";
    return kUsage;
  }
  c.json = c.args.Has("--json");
  if (c.args.Has("--version") && c.args.words.empty()) {
    out << "zel (Zelvaro) " << ZEL_VERSION << "\n";
    return kAccepted;
  }
  if (c.args.words.empty()) {
    Usage(c.args.Has("--help") ? out : err);
    return c.args.Has("--help") ? kAccepted : kUsage;
  }
  const std::string name = c.args.words.front();
  c.args.words.erase(c.args.words.begin());
  for (const Command& cmd : kCommands) {
    if (name != cmd.name) continue;
    if (c.args.Has("--help")) {
      out << "Aufruf: " << cmd.usage << "\n\n" << cmd.help << "\n";
      return kAccepted;
    }
    if (!c.args.Has("--data")) {
      // A data file passed over at the start is never passed over silently.
      for (const std::string& notice : zel::ZelPackage()->TakeNotices())
        err << Cp1252ToUtf8(notice) << "\n";
    }
    if (c.args.Has("--data")) {
      zel::ZelPackage()->SetPersistent(false);  // for this run only
      const int rc = zel::ZelPackage()->Activate(c.args.Get("--data"));
      if (rc != 0) {
        err << "Die Datei " << c.args.Get("--data")
            << " kann nicht verwendet werden: " << Cp1252ToUtf8(zel::ZelPackage()->GetLastError())
            << "\n";
        return kUsage;
      }
    }
    // Bank data outside its period of validity is announced, never used
    // silently; results and exit codes stay as they are.
    Validity() = JudgeValidity();
    if (Validity().stale && !c.args.Has("--quiet"))
      err << "Hinweis: Die Bankdaten von " << Validity().file << " gelten vom " << Validity().from
          << " bis " << Validity().to << ".\n";
    try {
      const int rc = cmd.run(c);
      if (!out.flush()) {
        err << "Die Ausgabe kann nicht geschrieben werden.\n";
        return kUsage;
      }
      if (rc >= 0) return rc;
      err << "Aufruf: " << cmd.usage << "\n";
      return kUsage;
    } catch (const std::exception& e) {
      err << Cp1252ToUtf8(e.what()) << "\n";
      return kUsage;
    }
  }
  err << "Unbekannter Befehl: " << name << "\n\n";
  Usage(err);
  return kUsage;
}

}  // namespace zelcli
