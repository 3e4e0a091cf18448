// zel statements: statement files (MT940, camt.052/053/054, ZIP archives of
// camt files) into a database (init-db creates the two tables, import reads
// files into them).

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "CliCommon.h"
#include "Commands.h"
#include "Odbc.h"

namespace zelcli {
namespace {

using zel::Cp1252ToUtf8;
using zel::Utf8ToCp1252;

constexpr int kOdbc = 0, kSqlServer = 1, kSqliteFile = 3, kNoTransaction = 128,
              kAllowDuplicates = 256;

// The two tables; rows are written by position, so the order counts. The
// reader cuts every text to these widths.
constexpr const char* kStatementColumns =
    "(NR INTEGER PRIMARY KEY, BLZ VARCHAR(11), KONTO VARCHAR(34), AUSZUGNR INTEGER, "
    "ANFANGSDATUM VARCHAR(10), ANFANGSWAEHRUNG VARCHAR(3), ANFANGSSALDO DECIMAL(15,2), "
    "ENDDATUM VARCHAR(10), ENDWAEHRUNG VARCHAR(3), ENDSALDO DECIMAL(15,2), BENUTZER INTEGER)";
constexpr const char* kTransactionColumns =
    "(NR INTEGER PRIMARY KEY, AUSZUG INTEGER, VALUTA VARCHAR(10), BUCHUNGSDATUM VARCHAR(10), "
    "BETRAG DECIMAL(15,2), ORIGWAEHRUNG VARCHAR(3), ORIGBETRAG DECIMAL(15,2), GVC INTEGER, "
    "BUCHUNGSTEXT VARCHAR(27), PRIMANOTA VARCHAR(10), GEGENBLZ VARCHAR(11), "
    "GEGENKONTO VARCHAR(34), GEGENNAME VARCHAR(140), VERWENDUNG VARCHAR(2000), "
    "TEXTSCHLUESSELERG INTEGER, BENUTZER INTEGER)";

struct Target {
  int kind = kSqliteFile;
  std::string source;
  std::string statements = "KontoAuszuege", transactions = "KontoUmsaetze";
};

// The database of --db, --dsn or --mssql (or the first word for init-db);
// false with the message.
bool ParseTarget(Context& c, const std::string& file, Target& t, std::string& error) {
  const Args& a = c.args;
  const int given = !file.empty() + a.Has("--db") + a.Has("--dsn") + a.Has("--mssql");
  if (given != 1) {
    error = "Genau eine Datenbank angeben: DATEI.sqlite, --db, --dsn oder --mssql.";
    return false;
  }
  t.kind = a.Has("--dsn") ? kOdbc : a.Has("--mssql") ? kSqlServer : kSqliteFile;
  t.source = !file.empty() ? file
                           : a.Get(a.Has("--db")    ? "--db"
                                   : a.Has("--dsn") ? "--dsn"
                                                    : "--mssql");
  struct stat st {};
  if (t.kind == kSqliteFile && ::lstat(t.source.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    error = t.source + " ist keine normale Datei.";
    return false;
  }
  if (t.source.empty() || t.source.find('#') != std::string::npos) {
    error = "Der Name der Datenbank darf nicht leer sein und kein \"#\" enthalten.";
    return false;
  }
  if (a.Has("--tables")) {
    const std::string tables = a.Get("--tables");
    const std::size_t hash = tables.find('#');
    t.statements = tables.substr(0, hash);
    if (hash != std::string::npos) t.transactions = tables.substr(hash + 1);
  }
  return true;
}

// The largest NR of each table, as a count before and after an import.
bool MaxNumbers(zel::TOdbcConnection& db, const Target& t, std::int64_t& statements,
                std::int64_t& transactions) {
  return db.QueryInteger("SELECT MAX(NR) FROM " + zel::QuotedTableName(t.statements), statements) &&
         db.QueryInteger("SELECT MAX(NR) FROM " + zel::QuotedTableName(t.transactions),
                         transactions);
}

bool Connect(Context& c, zel::TOdbcConnection& db, const Target& t) {
  if (db.Connect(zel::OdbcConnectionText(t.kind, t.source, c.args.Get("--user"),
                                         c.args.Get("--password"))))
    return true;
  c.err << "Datenbank kann nicht geöffnet werden: " << db.LastError() << "\n";
  return false;
}

int InitDb(Context& c) {
  Target t;
  std::string error;
  if (!ParseTarget(c, c.args.words.size() > 1 ? c.args.words[1] : "", t, error)) {
    c.err << error << "\n";
    return kUsage;
  }
  const std::string statements = zel::QuotedTableName(t.statements);
  const std::string transactions = zel::QuotedTableName(t.transactions);
  if (statements.empty() || transactions.empty()) {
    c.err << "Tabellennamen dürfen nur aus Buchstaben, Ziffern und \"_\" bestehen.\n";
    return kUsage;
  }
  zel::TOdbcConnection db;
  if (!zel::TOdbcConnection::Available()) {
    c.err << db.LastError() << "\n";
    return kUsage;
  }
  if (!Connect(c, db, t)) return kUsage;
  if (!db.Execute("CREATE TABLE " + statements + " " + kStatementColumns) ||
      !db.Execute("CREATE TABLE " + transactions + " " + kTransactionColumns)) {
    c.err << "Die Tabellen können nicht angelegt werden: " << db.LastError() << "\n";
    return kUsage;
  }
  c.out << t.source << ": Tabellen " << t.statements << " und " << t.transactions << " angelegt.\n";
  return kAccepted;
}

// One file into the database: its counts, or its code and message.
int ImportFile(Context& c, zel::TProxyZelReadObject& reader, const Target& t, int type, int userId,
               const std::string& file) {
  zel::TOdbcConnection db;
  std::int64_t s0 = 0, t0 = 0, s1 = 0, t1 = 0;
  const bool counted = db.Connect(zel::OdbcConnectionText(t.kind, t.source, c.args.Get("--user"),
                                                          c.args.Get("--password"))) &&
                       MaxNumbers(db, t, s0, t0);
  int r = 0;
  try {
    r = reader.ReadMt940(type, Utf8ToCp1252(t.source + "#" + t.statements + "#" + t.transactions),
                         Utf8ToCp1252(c.args.Get("--user")), Utf8ToCp1252(c.args.Get("--password")),
                         file, c.args.Get("--translation"), userId);
  } catch (const std::exception& e) {
    c.err << file << ": " << Cp1252ToUtf8(e.what()) << " (nichts übernommen)\n";
    return kRejected;
  }
  if (r != 0) {
    c.err << file << ": Fehler " << r << ": " << Cp1252ToUtf8(reader.GetErrorMessage(r)) << ": "
          << Cp1252ToUtf8(reader.GetLastError()) << "\n";
    return r <= 3 ? kUsage : kRejected;
  }
  if (counted) MaxNumbers(db, t, s1, t1);
  // After "Ok", one line for each statement skipped or left out.
  const std::string notes = Cp1252ToUtf8(reader.GetLastError());
  long known = 0;
  bool unfinished = false;
  for (std::size_t at = notes.find('\n'); at != std::string::npos;) {
    const std::size_t end = notes.find('\n', at + 1);
    const std::string note = notes.substr(at + 1, end == std::string::npos ? end : end - at - 1);
    known += note.find("ist schon übernommen") != std::string::npos;
    unfinished = unfinished || note.find("Schlusssaldo") != std::string::npos;
    c.err << file << ": " << note << "\n";
    at = end;
  }
  if (c.json)
    c.out << JsonObject()
                 .Typed("file", file)
                 .Number("statements", static_cast<long>(s1 - s0))
                 .Number("bookings", static_cast<long>(t1 - t0))
                 .Number("already_imported", known)
                 .Str()
          << "\n";
  else
    c.out << file << ": " << s1 - s0 << " Auszüge, " << t1 - t0 << " Umsätze übernommen"
          << (known == 0 ? ""
                         : ", " + std::to_string(known) + (known == 1 ? " Auszug" : " Auszüge") +
                               " schon übernommen")
          << "\n";
  return unfinished ? kRejected : kAccepted;
}

int Import(Context& c) {
  Target t;
  std::string error;
  int userId = 0;
  if (c.args.words.size() < 2 || !ParseTarget(c, "", t, error) ||
      (c.args.Has("--user-id") && !ToInt(c.args.Get("--user-id"), userId))) {
    if (!error.empty()) c.err << error << "\n";
    return error.empty() ? -1 : kUsage;
  }
  auto reader = zel::TProxyZelReadObject::Create("ZelReadObject");
  if (!reader) {
    c.err << kNoDataFile << "\n";
    return kUsage;
  }
  const int type = t.kind | (c.args.Has("--no-transaction") ? kNoTransaction : 0) |
                   (c.args.Has("--allow-duplicates") ? kAllowDuplicates : 0);
  int rc = kAccepted;
  for (std::size_t i = 1; i < c.args.words.size(); ++i) {
    const int r = ImportFile(c, *reader, t, type, userId, c.args.words[i]);
    if (r == kUsage) return kUsage;  // the database itself failed: no use going on
    if (r != kAccepted) rc = r;
  }
  return rc;
}

}  // namespace

int Statements(Context& c) {
  const std::string verb = c.args.words.empty() ? "" : c.args.words[0];
  if (verb == "init-db") return InitDb(c);
  if (verb == "import") return Import(c);
  return -1;
}

}  // namespace zelcli
