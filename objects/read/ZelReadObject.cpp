#include "ZelReadObject.h"

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "BankUtil.h"
#include "Camt.h"
#include "Cp1252.h"
#include "MT940.h"
#include "MiniUtils.h"
#include "Odbc.h"
#include "ZelRegistration.h"
#include "ZipArchive.h"

namespace zel {
namespace {

const TZelRegistrar<TZelReadObject> kRegistration(TZelReadObject::kClassName);

std::string T(const char* utf8) { return Utf8ToCp1252(utf8); }

// "DD.MM.YYYY"; the zero date is 30.12.1899.
std::string GermanDate(TDateTime d) {
  const TCivilDate c = DecodeDate(d);
  char text[16];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d", c.day, c.month, c.year);
  return text;
}

// Statement texts as the database stores them: UTF-8 (files come in
// code page 1252, or already in UTF-8).
std::string Db(const std::string& text) { return IsUtf8(text) ? text : Cp1252ToUtf8(text); }

// Trimmed, with quotes turned into blanks, as reports have always read them.
std::string Cleaned(const std::string& text) {
  std::string t = MiniUtils::Trim(text);
  for (char& c : t)
    if (c == '"' || c == '\'') c = ' ';
  return Db(t);
}

std::string Amount(TAmount a) { return BankUtil::SepaBetrag(a); }

// Texts cut to the widths of the columns that init-db creates, counted in
// characters, so that no database refuses a row another one takes.
std::string Fit(const std::string& text, std::size_t width) { return CutCharacters(text, width); }

std::vector<std::string> StatementRow(const TStatementRecord& s) {
  return {std::to_string(s.Nr),       Fit(Db(s.Blz), 11),        Fit(Db(s.Konto), 34),
          std::to_string(s.AuszugNr), GermanDate(s.AnfangDatum), Fit(Db(s.AnfangWaehrung), 3),
          Amount(s.AnfangBetrag),     GermanDate(s.EndDatum),    Fit(Db(s.EndWaehrung), 3),
          Amount(s.EndBetrag),        std::to_string(s.UserId)};
}

std::vector<std::string> TransactionRow(const TTransactionRecord& t) {
  return {std::to_string(t.Nr),
          std::to_string(t.AuszugNr),
          GermanDate(t.Valuta),
          GermanDate(t.Buchung),
          Amount(t.Betrag),
          Fit(Db(t.OrigWaehrung), 3),
          Amount(t.OrigBetrag),
          std::to_string(t.Gvc),
          Fit(Cleaned(t.Buchungstext), 27),
          Fit(Cleaned(t.Primanota), 10),
          Fit(Db(t.GegenBlz), 11),
          Fit(Db(t.GegenKonto), 34),
          Fit(Cleaned(t.GegenName), 140),
          Fit(Cleaned(t.Verwendung), 2000),
          std::to_string(t.TextSchluesselErg),
          std::to_string(t.UserId)};
}

std::string Insert(const std::string& table, int columns) {
  std::string sql = "INSERT INTO " + table + " VALUES (?";
  for (int i = 1; i < columns; ++i) sql += ", ?";
  return sql + ")";
}

// A statement file of any of the formats, by its content: a ZIP archive of
// camt documents (entries in name order), a camt document, or MT940.
void ReadStatements(const std::string& file, const std::string& head,
                    const std::string& translation, const TStatementSink& sink, TReadNotes& notes) {
  if (LooksLikeZip(head)) {
    std::string error;
    const auto entry = [&](const std::string& name, std::string& content) {
      if (name.find('/') != std::string::npos || !LooksLikeXml(content)) {
        notes.Notices.push_back(name + ": kein camt-Dokument im Archiv, übergangen");
        return true;
      }
      ReadCamt(content, name, sink, notes);
      return true;
    };
    if (!ReadZipEntries(file, TZipLimits{}, entry, error)) throw TStatementFileError(error);
  } else if (LooksLikeXml(head)) {
    ReadCamtFile(file, sink, notes);
  } else {
    ReadMt940File(file, translation, sink, notes);
  }
}

}  // namespace

std::unique_ptr<TZelBaseObject> TZelReadObject::Thaw(TByteStream&) {
  return std::make_unique<TZelReadObject>();
}

std::int32_t TZelReadObject::ReadMt940(std::int32_t DatabaseType, const std::string& DatabaseName,
                                       const std::string& Username, const std::string& Password,
                                       const std::string& Filename, const std::string& Translation,
                                       std::int32_t UserId) {
  const int kind = DatabaseType & 0x7F;
  if (kind != kOdbc && kind != kSqlServer && kind != kSqliteFile) {
    LastError = "Database Type must be 0 (ODBC) or 1 (MS-SQL), not " + std::to_string(kind);
    return 1;
  }
  const std::size_t hash = DatabaseName.find('#');
  const std::string source = DatabaseName.substr(0, hash);
  std::string statements = "KontoAuszuege", transactions = "KontoUmsaetze";
  if (hash != std::string::npos) {
    const std::string tables = DatabaseName.substr(hash + 1);
    const std::size_t second = tables.find('#');
    statements = tables.substr(0, second);
    if (second != std::string::npos) transactions = tables.substr(second + 1);
  }
  StatementTable = QuotedTableName(statements);
  TransactionTable = QuotedTableName(transactions);
  if (StatementTable.empty() || TransactionTable.empty()) {
    LastError = T("Tabellennamen dürfen nur aus Buchstaben, Ziffern und \"_\" bestehen (mit "
                  "Schema: Schema.Tabelle): ") +
                statements + ", " + transactions;
    return 1;
  }
  if (!TOdbcConnection::Available()) {
    LastError = T("unixODBC (libodbc.so.2) ist nicht installiert");
    return 2;
  }
  TOdbcConnection db;
  if (!db.Connect(OdbcConnectionText(kind, Db(source), Db(Username), Db(Password)))) {
    LastError = Utf8ToCp1252(db.LastError());
    return 3;
  }
  std::string file = Filename;
  if (!file.empty() && file.back() == '+') file.pop_back();
  if (file.empty()) {
    LastError = "Ok";
    return 0;
  }
  return Import(db, file, Translation, UserId, (DatabaseType & kNoTransaction) == 0,
                (DatabaseType & kAllowDuplicates) != 0);
}

// The rows of one file, statement by statement; a statement already in the
// database is skipped (unless duplicates are allowed). A row that cannot be
// written rolls the whole file back.
std::int32_t TZelReadObject::Import(TOdbcConnection& db, const std::string& file,
                                    const std::string& translation, std::int32_t userId,
                                    bool useTransaction, bool allowDuplicates) {
  std::string head;
  if (!ReadHead(file, head)) return 4;
  const bool transaction = useTransaction && db.SetAutocommit(false);
  std::int64_t statementNr = 0, transactionNr = 0;
  db.QueryInteger("SELECT MAX(NR) FROM " + StatementTable, statementNr);
  db.QueryInteger("SELECT MAX(NR) FROM " + TransactionTable, transactionNr);
  auto insertStatement = db.Prepare(Insert(StatementTable, 11));
  auto insertTransaction = db.Prepare(Insert(TransactionTable, 16));
  auto known = allowDuplicates ? nullptr
                               : db.Prepare("SELECT COUNT(*) FROM " + StatementTable +
                                            " WHERE KONTO = ? AND AUSZUGNR = ? AND ENDDATUM = ?");
  TReadNotes notes;
  if (!allowDuplicates && !known)
    notes.Notices.push_back("Schon übernommene Auszüge können nicht erkannt werden: " +
                            db.LastError());
  int result = 0;
  const auto fail = [&](int code, TOdbcStatement* statement) {
    LastError = Utf8ToCp1252(statement ? statement->LastError() : db.LastError());
    result = code;
    return false;
  };
  const TStatementSink write = [&](TStatementBatch& b) {
    TStatementRecord& s = b.Statement;
    std::int64_t count = 0;
    if (known &&
        known->QueryInteger({Db(s.Konto), std::to_string(s.AuszugNr), GermanDate(s.EndDatum)},
                            count) &&
        count > 0) {
      notes.Notices.push_back("Auszug " + std::to_string(s.AuszugNr) + " vom " +
                              GermanDate(s.EndDatum) + " ist schon übernommen");
      return true;
    }
    s.Nr = static_cast<int>(++statementNr);
    s.UserId = userId;
    if (!insertStatement || !insertStatement->Execute(StatementRow(s)))
      return fail(5, insertStatement.get());
    for (TTransactionRecord& t : b.Bookings) {
      t.Nr = static_cast<int>(++transactionNr);
      t.AuszugNr = s.Nr;
      t.UserId = userId;
      if (!insertTransaction || !insertTransaction->Execute(TransactionRow(t)))
        return fail(6, insertTransaction.get());
    }
    return true;
  };
  try {
    ReadStatements(file, head, translation, write, notes);
  } catch (const TStatementFileError& e) {
    if (transaction) db.Rollback();
    LastError = Utf8ToCp1252(e.what());
    return 4;
  } catch (const std::runtime_error&) {
    if (transaction) db.Rollback();
    throw;  // an unreadable balance ends the whole read, nothing committed
  }
  if (result != 0) {
    if (transaction) db.Rollback();  // never half a file
    return result;
  }
  if (transaction && !db.Commit()) {
    LastError = Utf8ToCp1252(db.LastError());
    return 6;
  }
  LastError = "Ok";
  if (notes.Pending > 0)
    notes.Notices.push_back(std::to_string(notes.Pending) +
                            " noch nicht gebuchte Umsätze (Vormerkposten) ausgelassen");
  for (const std::string& n : notes.Notices) LastError += "\n" + Utf8ToCp1252(n);
  return 0;
}

// The first bytes of a file, which tell its format; false (LastError set)
// when it cannot be read.
bool TZelReadObject::ReadHead(const std::string& file, std::string& head) {
  std::ifstream in(file, std::ios::binary);
  struct stat st {};
  if (!in || ::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    LastError = Utf8ToCp1252(file + ": kann nicht gelesen werden oder ist keine normale Datei");
    return false;
  }
  head.resize(512);
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  return true;
}

std::string TZelReadObject::GetErrorMessage(std::int32_t Code) {
  switch (Code) {
    case 0: return "Ok";
    case 1: return "Unbekannter Datenbanktyp";
    case 2: return "ADO scheint nicht installiert zu sein";
    case 3: return T("Datenbank kann nicht geöffnet werden");
    case 4: return T("Kontoauszugsdatei kann nicht geöffnet werden");
    case 5: return T("Fehler beim Datenbankschreiben des Auszugs");
    case 6: return T("Fehler beim Datenbankschreiben der Umsätze");
    default: return "Unbekannter Fehlercode Nr. " + std::to_string(Code);
  }
}

}  // namespace zel
