#include "Odbc.h"

#include <sql.h>
#include <sqlext.h>

#include "LazyLibrary.h"

namespace zel {
namespace {

// The functions of the driver manager that are used.
struct TOdbcLibrary {
  SQLRETURN (*AllocHandle)(SQLSMALLINT, SQLHANDLE, SQLHANDLE*);
  SQLRETURN (*FreeHandle)(SQLSMALLINT, SQLHANDLE);
  SQLRETURN (*SetEnvAttr)(SQLHENV, SQLINTEGER, SQLPOINTER, SQLINTEGER);
  SQLRETURN (*SetConnectAttr)(SQLHDBC, SQLINTEGER, SQLPOINTER, SQLINTEGER);
  SQLRETURN(*DriverConnect)
  (SQLHDBC, SQLHWND, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*, SQLUSMALLINT);
  SQLRETURN (*Disconnect)(SQLHDBC);
  SQLRETURN (*EndTran)(SQLSMALLINT, SQLHANDLE, SQLSMALLINT);
  SQLRETURN (*ExecDirect)(SQLHSTMT, SQLCHAR*, SQLINTEGER);
  SQLRETURN (*Prepare)(SQLHSTMT, SQLCHAR*, SQLINTEGER);
  SQLRETURN(*BindParameter)
  (SQLHSTMT, SQLUSMALLINT, SQLSMALLINT, SQLSMALLINT, SQLSMALLINT, SQLULEN, SQLSMALLINT, SQLPOINTER,
   SQLLEN, SQLLEN*);
  SQLRETURN (*Execute)(SQLHSTMT);
  SQLRETURN (*Fetch)(SQLHSTMT);
  SQLRETURN (*GetData)(SQLHSTMT, SQLUSMALLINT, SQLSMALLINT, SQLPOINTER, SQLLEN, SQLLEN*);
  SQLRETURN (*FreeStmt)(SQLHSTMT, SQLUSMALLINT);
  SQLRETURN(*GetDiagRec)
  (SQLSMALLINT, SQLHANDLE, SQLSMALLINT, SQLCHAR*, SQLINTEGER*, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*);
};

bool BindOdbc(void* h, TOdbcLibrary& lib) {
  return Bind(h, "SQLAllocHandle", lib.AllocHandle) && Bind(h, "SQLFreeHandle", lib.FreeHandle) &&
         Bind(h, "SQLSetEnvAttr", lib.SetEnvAttr) &&
         Bind(h, "SQLSetConnectAttr", lib.SetConnectAttr) &&
         Bind(h, "SQLDriverConnect", lib.DriverConnect) &&
         Bind(h, "SQLDisconnect", lib.Disconnect) && Bind(h, "SQLEndTran", lib.EndTran) &&
         Bind(h, "SQLExecDirect", lib.ExecDirect) && Bind(h, "SQLPrepare", lib.Prepare) &&
         Bind(h, "SQLBindParameter", lib.BindParameter) && Bind(h, "SQLExecute", lib.Execute) &&
         Bind(h, "SQLFetch", lib.Fetch) && Bind(h, "SQLGetData", lib.GetData) &&
         Bind(h, "SQLFreeStmt", lib.FreeStmt) && Bind(h, "SQLGetDiagRec", lib.GetDiagRec);
}

const TOdbcLibrary* Odbc() { return LoadOnce("libodbc.so.2", BindOdbc); }

bool Ok(SQLRETURN r) { return r == SQL_SUCCESS || r == SQL_SUCCESS_WITH_INFO; }

SQLCHAR* Text(const std::string& s) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
}

// A statement handle freed when it goes out of scope.
struct TStmt {
  void* h = nullptr;
  ~TStmt() {
    if (h) Odbc()->FreeHandle(SQL_HANDLE_STMT, h);
  }
};

bool IsIdentifier(std::string_view s) {
  if (s.empty() || s.size() > 63 || (s[0] >= '0' && s[0] <= '9')) return false;
  for (char c : s)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
      return false;
  return true;
}

}  // namespace

bool TOdbcConnection::Available() { return Odbc() != nullptr; }

TOdbcConnection::TOdbcConnection() {
  const TOdbcLibrary* odbc = Odbc();
  if (!odbc) {
    fError = "unixODBC (libodbc.so.2) ist nicht installiert";
    return;
  }
  if (!Ok(odbc->AllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &fEnv)) ||
      !Ok(odbc->SetEnvAttr(fEnv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                           0)) ||
      !Ok(odbc->AllocHandle(SQL_HANDLE_DBC, fEnv, &fDbc)))
    fError = "Die ODBC-Umgebung kann nicht angelegt werden";
}

TOdbcConnection::~TOdbcConnection() {
  const TOdbcLibrary* odbc = Odbc();
  if (!odbc) return;
  if (fConnected) odbc->Disconnect(fDbc);
  if (fDbc) odbc->FreeHandle(SQL_HANDLE_DBC, fDbc);
  if (fEnv) odbc->FreeHandle(SQL_HANDLE_ENV, fEnv);
}

std::string TOdbcConnection::Diagnostics(short type, void* handle) const {
  std::string text;
  SQLCHAR state[6], message[1024];
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  for (SQLSMALLINT i = 1; i <= 3; ++i) {
    if (!Ok(Odbc()->GetDiagRec(type, handle, i, state, &native, message, sizeof message, &length)))
      break;
    if (!text.empty()) text += " / ";
    text += reinterpret_cast<const char*>(message);
  }
  return text.empty() ? "Unbekannter ODBC-Fehler" : text;
}

bool TOdbcConnection::Connect(const std::string& connection) {
  if (!fDbc) return false;
  if (connection.empty()) {
    fError = "Der Name der Datenbank darf kein \";\", \"{\" oder \"}\" enthalten";
    return false;
  }
  SQLSMALLINT length = 0;
  if (!Ok(Odbc()->DriverConnect(fDbc, nullptr, Text(connection), SQL_NTS, nullptr, 0, &length,
                                SQL_DRIVER_NOPROMPT))) {
    fError = Diagnostics(SQL_HANDLE_DBC, fDbc);
    return false;
  }
  fConnected = true;
  return true;
}

bool TOdbcConnection::SetAutocommit(bool on) {
  const auto value = reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF);
  if (Ok(Odbc()->SetConnectAttr(fDbc, SQL_ATTR_AUTOCOMMIT, value, SQL_IS_UINTEGER))) return true;
  fError = Diagnostics(SQL_HANDLE_DBC, fDbc);
  return false;
}

bool TOdbcConnection::Commit() {
  if (Ok(Odbc()->EndTran(SQL_HANDLE_DBC, fDbc, SQL_COMMIT))) return true;
  fError = Diagnostics(SQL_HANDLE_DBC, fDbc);
  return false;
}

bool TOdbcConnection::Rollback() { return Ok(Odbc()->EndTran(SQL_HANDLE_DBC, fDbc, SQL_ROLLBACK)); }

bool TOdbcConnection::Execute(const std::string& sql) {
  TStmt s;
  if (!fConnected || !Ok(Odbc()->AllocHandle(SQL_HANDLE_STMT, fDbc, &s.h))) return false;
  const SQLRETURN r = Odbc()->ExecDirect(s.h, Text(sql), SQL_NTS);
  if (Ok(r) || r == SQL_NO_DATA) return true;
  fError = Diagnostics(SQL_HANDLE_STMT, s.h);
  return false;
}

bool TOdbcConnection::QueryInteger(const std::string& sql, std::int64_t& value) {
  value = 0;
  TStmt s;
  if (!fConnected || !Ok(Odbc()->AllocHandle(SQL_HANDLE_STMT, fDbc, &s.h))) return false;
  if (!Ok(Odbc()->ExecDirect(s.h, Text(sql), SQL_NTS))) {
    fError = Diagnostics(SQL_HANDLE_STMT, s.h);
    return false;
  }
  SQLLEN indicator = 0;
  if (Ok(Odbc()->Fetch(s.h)) &&
      Ok(Odbc()->GetData(s.h, 1, SQL_C_SBIGINT, &value, sizeof value, &indicator)) &&
      indicator == SQL_NULL_DATA)
    value = 0;
  return true;
}

std::unique_ptr<TOdbcStatement> TOdbcConnection::Prepare(const std::string& sql) {
  void* h = nullptr;
  if (!fConnected || !Ok(Odbc()->AllocHandle(SQL_HANDLE_STMT, fDbc, &h))) return nullptr;
  if (!Ok(Odbc()->Prepare(h, Text(sql), SQL_NTS))) {
    fError = Diagnostics(SQL_HANDLE_STMT, h);
    Odbc()->FreeHandle(SQL_HANDLE_STMT, h);
    return nullptr;
  }
  std::size_t parameters = 0;
  for (char c : sql) parameters += c == '?';
  return std::make_unique<TOdbcStatement>(*this, h, parameters);
}

TOdbcStatement::TOdbcStatement(TOdbcConnection& connection, void* handle, std::size_t parameters)
    : fConnection(connection), fStmt(handle), fParameters(parameters) {}

TOdbcStatement::~TOdbcStatement() { Odbc()->FreeHandle(SQL_HANDLE_STMT, fStmt); }

bool TOdbcStatement::Execute(const std::vector<std::string>& values) {
  const bool done = Run(values);
  Odbc()->FreeStmt(fStmt, SQL_CLOSE);
  return done;
}

bool TOdbcStatement::QueryInteger(const std::vector<std::string>& values, std::int64_t& value) {
  value = 0;
  bool done = Run(values);
  SQLLEN indicator = 0;
  if (done && Ok(Odbc()->Fetch(fStmt)) &&
      Ok(Odbc()->GetData(fStmt, 1, SQL_C_SBIGINT, &value, sizeof value, &indicator)) &&
      indicator == SQL_NULL_DATA)
    value = 0;
  Odbc()->FreeStmt(fStmt, SQL_CLOSE);
  return done;
}

// Binds the values and runs the statement; its cursor stays open.
bool TOdbcStatement::Run(const std::vector<std::string>& values) {
  if (values.size() != fParameters) {
    fError = "Falsche Zahl von Parametern";
    return false;
  }
  std::vector<SQLLEN> lengths(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    lengths[i] = static_cast<SQLLEN>(values[i].size());
    const SQLULEN column = values[i].size() > 0 ? values[i].size() : 1;
    if (!Ok(Odbc()->BindParameter(fStmt, static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT,
                                  SQL_C_CHAR, SQL_VARCHAR, column, 0,
                                  const_cast<char*>(values[i].data()), lengths[i], &lengths[i]))) {
      fError = fConnection.Diagnostics(SQL_HANDLE_STMT, fStmt);
      return false;
    }
  }
  const SQLRETURN r = Odbc()->Execute(fStmt);
  const bool done = Ok(r) || r == SQL_NO_DATA;
  if (!done) fError = fConnection.Diagnostics(SQL_HANDLE_STMT, fStmt);
  return done;
}

std::string OdbcValue(std::string_view value) {
  // Not every driver reads braces: plain values stay as they are.
  const bool plain = value.find_first_of(";{}") == std::string_view::npos &&
                     (value.empty() || (value.front() != ' ' && value.back() != ' '));
  if (plain) return std::string(value);
  std::string out = "{";
  for (char c : value) {
    out += c;
    if (c == '}') out += '}';
  }
  return out + "}";
}

std::string OdbcConnectionText(int kind, const std::string& source, const std::string& user,
                               const std::string& password) {
  const std::string credentials = ";UID=" + OdbcValue(user) + ";PWD=" + OdbcValue(password);
  if (kind == 0) return "DSN=" + OdbcValue(source) + credentials;
  // The SQLite driver takes its file name as it stands: a name that could
  // end the attribute gives no connection text.
  if (kind == 3)
    return source.find_first_of(";{}") == std::string::npos ? "DRIVER=SQLite3;Database=" + source
                                                            : std::string();
  const std::size_t slash = source.find('/');
  std::string text = "DRIVER=FreeTDS;SERVER=" + OdbcValue(source.substr(0, slash));
  if (slash != std::string::npos) text += ";DATABASE=" + OdbcValue(source.substr(slash + 1));
  return text + (user.empty() ? ";Trusted_Connection=Yes" : credentials);
}

std::string QuotedTableName(std::string_view name) {
  const std::size_t dot = name.find('.');
  const std::string_view schema = dot == std::string_view::npos ? "" : name.substr(0, dot);
  const std::string_view table = dot == std::string_view::npos ? name : name.substr(dot + 1);
  if (!IsIdentifier(table) || (dot != std::string_view::npos && !IsIdentifier(schema))) return {};
  std::string quoted = "\"" + std::string(table) + "\"";
  return schema.empty() ? quoted : "\"" + std::string(schema) + "\"." + quoted;
}

}  // namespace zel
