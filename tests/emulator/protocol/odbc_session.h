// An ODBC connection through unixODBC and the FreeTDS driver, used the way
// the installer uses it: the W functions, every result drained, every
// diagnostic record collected.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace emulator::testing {

struct Diagnostic {
    std::string sqlstate;
    int32_t native = 0;
    std::u16string text;  // as the driver gives it, with its [vendor] prefixes
};

using Rows = std::vector<std::vector<std::u16string>>;  // NULL reads as u"NULL"

// A result column as the driver describes it (SQLDescribeColW).
struct ColumnDescription {
    std::u16string name;
    short sql_type = 0;  // SQL_INTEGER, SQL_WVARCHAR, SQL_TYPE_TIMESTAMP, ...
    unsigned long size = 0;
    short decimal_digits = 0;
    bool nullable = false;
};

struct Outcome {
    short first_return = 0;  // what SQLExecDirectW returned
    std::vector<Rows> result_sets;
    std::vector<std::vector<ColumnDescription>> columns;  // one list per result set
    std::vector<Diagnostic> diagnostics;  // from SQLExecDirectW and every SQLMoreResults
    bool failed = false;                  // any call returned SQL_ERROR

    bool has_native(int32_t number) const;
    std::u16string all_text() const;
};

class OdbcSession {
public:
    // Connects with SQLDriverConnectW to 127.0.0.1 at `port`; the
    // diagnostics are kept when it fails (the session is then unusable).
    OdbcSession(uint16_t port, const std::u16string& user, const std::u16string& password,
                const std::u16string& database = u"master", int login_timeout_seconds = 15);
    // The same to SERVER=`server` as FreeTDS reads it: "HOST,PORT" or
    // "HOST\INSTANCE" (found through the SQL Server Browser).
    OdbcSession(const std::u16string& server, const std::u16string& user, const std::u16string& password,
                const std::u16string& database = u"master", int login_timeout_seconds = 15);
    ~OdbcSession();
    OdbcSession(const OdbcSession&) = delete;
    OdbcSession& operator=(const OdbcSession&) = delete;

    bool connected() const { return connected_; }
    const std::vector<Diagnostic>& connect_diagnostics() const { return connect_diagnostics_; }

    // SQLExecDirectW, then every row of every result (SQLFetch/SQLGetData)
    // and SQLMoreResults until SQL_NO_DATA.
    Outcome execute(const std::u16string& sql);
    // The installer's single-row query: execute, fetch one row, read its
    // first column, SQLCloseCursor. Empty when there was no row or an error.
    std::u16string first_value(const std::u16string& sql, Outcome* outcome = nullptr);
    // The server's version as the driver read it from the login (SQL_DBMS_VER).
    std::u16string dbms_version();

private:
    struct Handles;
    std::unique_ptr<Handles> handles_;
    bool connected_ = false;
    std::vector<Diagnostic> connect_diagnostics_;
};

}  // namespace emulator::testing
