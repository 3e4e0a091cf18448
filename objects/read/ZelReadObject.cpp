#include "ZelReadObject.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "BankUtil.h"
#include "Cp1252.h"
#include "MT940.h"
#include "MiniUtils.h"
#include "Odbc.h"
#include "ZelRegistration.h"

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

bool IsUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80         ? 1
                          : (c >> 5) == 6  ? 2
                          : (c >> 4) == 14 ? 3
                          : (c >> 3) == 30 ? 4
                                           : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
    i += n;
  }
  return true;
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

std::vector<std::string> StatementRow(const TStatementRecord& s) {
  return {std::to_string(s.Nr),
          Db(s.Blz),
          Db(s.Konto),
          std::to_string(s.AuszugNr),
          GermanDate(s.AnfangDatum),
          Db(s.AnfangWaehrung),
          Amount(s.AnfangBetrag),
          GermanDate(s.EndDatum),
          Db(s.EndWaehrung),
          Amount(s.EndBetrag),
          std::to_string(s.UserId)};
}

std::vector<std::string> TransactionRow(const TTransactionRecord& t) {
  return {std::to_string(t.Nr),
          std::to_string(t.AuszugNr),
          GermanDate(t.Valuta),
          GermanDate(t.Buchung),
          Amount(t.Betrag),
          Db(t.OrigWaehrung),
          Amount(t.OrigBetrag),
          std::to_string(t.Gvc),
          Cleaned(t.Buchungstext),
          Cleaned(t.Primanota),
          Db(t.GegenBlz),
          Db(t.GegenKonto),
          Cleaned(t.GegenName),
          Cleaned(t.Verwendung),
          std::to_string(t.TextSchluesselErg),
          std::to_string(t.UserId)};
}

std::string Insert(const std::string& table, int columns) {
  std::string sql = "INSERT INTO " + table + " VALUES (?";
  for (int i = 1; i < columns; ++i) sql += ", ?";
  return sql + ")";
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
  return Import(db, file, Translation, UserId, (DatabaseType & kNoTransaction) == 0);
}

std::int32_t TZelReadObject::Import(TOdbcConnection& db, const std::string& file,
                                    const std::string& translation, std::int32_t userId,
                                    bool useTransaction) {
  std::unique_ptr<TMT940> mt940;
  try {
    mt940 = std::make_unique<TMT940>(file, translation);
  } catch (const std::runtime_error& e) {
    LastError = e.what();
    return 4;
  }
  const bool transaction = useTransaction && db.SetAutocommit(false);
  std::int64_t statementNr = 0, transactionNr = 0;
  db.QueryInteger("SELECT MAX(NR) FROM " + StatementTable, statementNr);
  db.QueryInteger("SELECT MAX(NR) FROM " + TransactionTable, transactionNr);
  auto insertStatement = db.Prepare(Insert(StatementTable, 11));
  auto insertTransaction = db.Prepare(Insert(TransactionTable, 16));
  TMt940Grammar grammar;
  int result = 0;
  try {
    for (std::string field; result == 0 && !(field = mt940->GetNextLine()).empty();) {
      switch (grammar.Feed(field)) {
        case TMt940Grammar::evStatementStart:
          grammar.Statement.Nr = static_cast<int>(++statementNr);
          grammar.Statement.UserId = userId;
          break;
        case TMt940Grammar::evStatementDone:
          if (!insertStatement || !insertStatement->Execute(StatementRow(grammar.Statement))) {
            LastError =
                Utf8ToCp1252(insertStatement ? insertStatement->LastError() : db.LastError());
            result = 5;
          }
          break;
        case TMt940Grammar::evTransaction:
          grammar.Transaction.Nr = static_cast<int>(++transactionNr);
          grammar.Transaction.AuszugNr = static_cast<int>(statementNr);
          grammar.Transaction.UserId = userId;
          if (!insertTransaction ||
              !insertTransaction->Execute(TransactionRow(grammar.Transaction))) {
            LastError =
                Utf8ToCp1252(insertTransaction ? insertTransaction->LastError() : db.LastError());
            result = 6;
          }
          break;
        case TMt940Grammar::evNone: break;
      }
    }
  } catch (const std::runtime_error&) {
    if (transaction) db.Rollback();
    throw;  // an unreadable balance ends the whole read, nothing committed
  }
  if (transaction && !db.Commit() && result == 0) {
    LastError = Utf8ToCp1252(db.LastError());
    return 6;
  }
  if (result == 0) LastError = "Ok";
  return result;
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
