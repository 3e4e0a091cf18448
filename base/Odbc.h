// Databases through unixODBC, loaded when a connection is first opened (a
// machine without it can do everything else). A connection, prepared
// statements with bound parameters, and the quoting of the parts of a
// connection text and of table names. Messages are UTF-8 as the drivers
// give them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ZelExport.h"

namespace zel {

class TOdbcStatement;

class ZELBASE_API TOdbcConnection {
 public:
  TOdbcConnection();
  ~TOdbcConnection();
  TOdbcConnection(const TOdbcConnection&) = delete;
  TOdbcConnection& operator=(const TOdbcConnection&) = delete;

  // Whether the driver manager could be loaded ("libodbc.so.2").
  static bool Available();
  // Connects with a connection text; false with the driver's message.
  bool Connect(const std::string& connection);
  // Autocommit off (a transaction) or on.
  bool SetAutocommit(bool on);
  bool Commit();
  bool Rollback();
  // Runs a statement without parameters or results.
  bool Execute(const std::string& sql);
  // The first column of the first row as an integer; false when the
  // statement fails. A NULL value gives 0.
  bool QueryInteger(const std::string& sql, std::int64_t& value);
  // A statement prepared once and run with new parameters many times.
  std::unique_ptr<TOdbcStatement> Prepare(const std::string& sql);

  const std::string& LastError() const { return fError; }

 private:
  friend class TOdbcStatement;
  std::string Diagnostics(short type, void* handle) const;

  void* fEnv = nullptr;
  void* fDbc = nullptr;
  bool fConnected = false;
  std::string fError;
};

// The values of one execution are given as texts (NULL for none); the
// driver converts them to the column's type.
class ZELBASE_API TOdbcStatement {
 public:
  TOdbcStatement(TOdbcConnection& connection, void* handle, std::size_t parameters);
  ~TOdbcStatement();
  TOdbcStatement(const TOdbcStatement&) = delete;
  TOdbcStatement& operator=(const TOdbcStatement&) = delete;

  // Runs with these parameter values (as many as the statement has);
  // false with the driver's message.
  bool Execute(const std::vector<std::string>& values);
  // Runs a query with these values: the first column of its first row as
  // an integer (0 for none or NULL); false with the driver's message.
  bool QueryInteger(const std::vector<std::string>& values, std::int64_t& value);
  const std::string& LastError() const { return fError; }

 private:
  bool Run(const std::vector<std::string>& values);

  TOdbcConnection& fConnection;
  void* fStmt;
  std::size_t fParameters;
  std::string fError;
};

// A value in a connection text: one with ";", braces or blanks at its ends
// in braces ("}" doubled), so that nothing of it starts another attribute.
ZELBASE_API std::string OdbcValue(std::string_view value);
// The connection text of a statement database (UTF-8 parts): kind 0 a data
// source by name, 1 SQL Server through FreeTDS ("server" or
// "server/database"; without a user name integrated security), 3 an SQLite
// file (empty when its name holds ";", "{" or "}").
ZELBASE_API std::string OdbcConnectionText(int kind, const std::string& source,
                                           const std::string& user, const std::string& password);
// A table name that is a plain identifier, optionally with its schema
// ("Bank.KontoUmsaetze"), quoted for SQL ("\"Bank\".\"KontoUmsaetze\"");
// empty when it is anything else.
ZELBASE_API std::string QuotedTableName(std::string_view name);

}  // namespace zel
