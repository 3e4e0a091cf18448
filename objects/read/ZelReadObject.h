// The statement reader: an MT940 file into two tables of a database reached
// through ODBC (a data source, SQL Server through FreeTDS, or an SQLite
// file). Registered as "ZelReadObject".
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ZelBaseObject.h"

namespace zel {

class TOdbcConnection;

class TZelReadObject : public TZelBaseObject {
 public:
  static constexpr const char* kClassName = "ZelReadObject";
  // Database kinds (the low 7 bits of the type); bit 7 writes without a
  // transaction; bit 8 imports statements that are in the database already.
  static constexpr int kOdbc = 0, kSqlServer = 1, kSqliteFile = 3, kNoTransaction = 128,
                       kAllowDuplicates = 256;

  std::string ClassName() const override { return kClassName; }
  static std::unique_ptr<TZelBaseObject> Thaw(TByteStream& Stream);

  // DatabaseName: the source (data source name, "server[/database]", or
  // the SQLite file), optionally "#statements#transactions". The file is
  // MT940, a camt.052/053/054 document or a ZIP archive of them (its
  // content decides). An empty file name only opens and closes the
  // connection. 0 or a code 1 to 6; after 0 LastError is "Ok", followed by
  // one line for each statement skipped as already imported and for what
  // was left out.
  std::int32_t ReadMt940(std::int32_t DatabaseType, const std::string& DatabaseName,
                         const std::string& Username, const std::string& Password,
                         const std::string& Filename, const std::string& Translation,
                         std::int32_t UserId) override;
  std::string GetErrorMessage(std::int32_t Code) override;
  std::string GetLastError() override { return LastError; }

 private:
  std::int32_t Import(TOdbcConnection& db, const std::string& file, const std::string& translation,
                      std::int32_t userId, bool useTransaction, bool allowDuplicates);
  bool ReadHead(const std::string& file, std::string& head);

  std::string LastError;
  std::string StatementTable = "KontoAuszuege";
  std::string TransactionTable = "KontoUmsaetze";
};

}  // namespace zel
