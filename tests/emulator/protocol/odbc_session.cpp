// ODBC client for the protocol tests.
#include "odbc_session.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <stdexcept>

namespace emulator::testing {

namespace {

constexpr char16_t kDriver[] = u"/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so";

std::vector<SQLWCHAR> wide(const std::u16string& text) {
    std::vector<SQLWCHAR> out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

void collect(SQLSMALLINT type, SQLHANDLE handle, std::vector<Diagnostic>& into) {
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR text[4096] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(type, handle, record, state, &native, text, 4096, &length);
        if (!SQL_SUCCEEDED(rc)) return;
        Diagnostic diagnostic;
        for (SQLWCHAR c : state)
            if (c) diagnostic.sqlstate.push_back(static_cast<char>(c));
        diagnostic.native = native;
        diagnostic.text.assign(text, text + std::min<SQLSMALLINT>(length, 4095));
        into.push_back(std::move(diagnostic));
    }
}

std::u16string braced(const std::u16string& value) {
    std::u16string out = u"{";
    for (char16_t c : value) {
        out.push_back(c);
        if (c == u'}') out.push_back(u'}');
    }
    return out + u"}";
}

Rows drain_rows(SQLHSTMT statement, SQLSMALLINT columns, std::vector<Diagnostic>& diagnostics, bool& failed) {
    Rows rows;
    for (;;) {
        const SQLRETURN rc = SQLFetch(statement);
        if (rc == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(rc)) {
            collect(SQL_HANDLE_STMT, statement, diagnostics);
            failed = true;
            break;
        }
        std::vector<std::u16string> row;
        for (SQLSMALLINT column = 1; column <= columns; ++column) {
            std::u16string value;
            for (;;) {
                SQLWCHAR buffer[512];
                SQLLEN indicator = 0;
                const SQLRETURN got = SQLGetData(statement, static_cast<SQLUSMALLINT>(column), SQL_C_WCHAR, buffer,
                                                 sizeof buffer, &indicator);
                if (got == SQL_NO_DATA) break;
                if (!SQL_SUCCEEDED(got)) {
                    failed = true;
                    break;
                }
                if (indicator == SQL_NULL_DATA) {
                    value = u"NULL";
                    break;
                }
                const size_t chars = indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof buffer)
                                         ? sizeof buffer / sizeof(SQLWCHAR) - 1
                                         : static_cast<size_t>(indicator) / sizeof(SQLWCHAR);
                value.append(buffer, buffer + chars);
                if (got == SQL_SUCCESS) break;
            }
            row.push_back(value);
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<ColumnDescription> describe_columns(SQLHSTMT statement, SQLSMALLINT columns) {
    std::vector<ColumnDescription> descriptions;
    for (SQLSMALLINT column = 1; column <= columns; ++column) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT name_length = 0;
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        SQLDescribeColW(statement, static_cast<SQLUSMALLINT>(column), name, 256, &name_length, &type, &size, &digits,
                        &nullable);
        descriptions.push_back({std::u16string(name, name + std::min<SQLSMALLINT>(name_length, 255)), type,
                                static_cast<unsigned long>(size), digits, nullable == SQL_NULLABLE});
    }
    return descriptions;
}

}  // namespace

bool Outcome::has_native(int32_t number) const {
    for (const Diagnostic& d : diagnostics)
        if (d.native == number) return true;
    return false;
}

std::u16string Outcome::all_text() const {
    std::u16string text;
    for (const Diagnostic& d : diagnostics) text += d.text + u"\n";
    return text;
}

struct OdbcSession::Handles {
    SQLHENV environment = SQL_NULL_HENV;
    SQLHDBC connection = SQL_NULL_HDBC;
};

OdbcSession::OdbcSession(uint16_t port, const std::u16string& user, const std::u16string& password,
                         const std::u16string& database, int login_timeout_seconds)
    : OdbcSession(u"127.0.0.1," + [port] {
          const std::string digits = std::to_string(port);
          return std::u16string(digits.begin(), digits.end());
      }(),
                  user, password, database, login_timeout_seconds) {}

OdbcSession::OdbcSession(const std::u16string& server, const std::u16string& user, const std::u16string& password,
                         const std::u16string& database, int login_timeout_seconds)
    : handles_(std::make_unique<Handles>()) {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handles_->environment);
    SQLSetEnvAttr(handles_->environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, handles_->environment, &handles_->connection);
    SQLSetConnectAttrW(handles_->connection, SQL_ATTR_LOGIN_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(login_timeout_seconds)), 0);
    const std::u16string connection_string = u"DRIVER={" + std::u16string(kDriver) + u"};SERVER=" + server +
                                             u";TDS_Version=7.4;UID=" + braced(user) + u";PWD=" + braced(password) +
                                             u";DATABASE=" + braced(database) + u";";
    auto text = wide(connection_string);
    const SQLRETURN rc = SQLDriverConnectW(handles_->connection, nullptr, text.data(), SQL_NTS, nullptr, 0, nullptr,
                                           SQL_DRIVER_NOPROMPT);
    collect(SQL_HANDLE_DBC, handles_->connection, connect_diagnostics_);
    connected_ = SQL_SUCCEEDED(rc);
}

OdbcSession::~OdbcSession() {
    if (connected_) SQLDisconnect(handles_->connection);
    SQLFreeHandle(SQL_HANDLE_DBC, handles_->connection);
    SQLFreeHandle(SQL_HANDLE_ENV, handles_->environment);
}

Outcome OdbcSession::execute(const std::u16string& sql) {
    Outcome outcome;
    SQLHSTMT statement = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, handles_->connection, &statement)))
        throw std::runtime_error("SQLAllocHandle failed");
    auto text = wide(sql);
    SQLRETURN rc = outcome.first_return = SQLExecDirectW(statement, text.data(), SQL_NTS);
    while (rc != SQL_NO_DATA) {
        collect(SQL_HANDLE_STMT, statement, outcome.diagnostics);
        if (rc == SQL_ERROR) outcome.failed = true;
        SQLSMALLINT columns = 0;
        SQLNumResultCols(statement, &columns);
        if (columns > 0) {
            outcome.columns.push_back(describe_columns(statement, columns));
            outcome.result_sets.push_back(drain_rows(statement, columns, outcome.diagnostics, outcome.failed));
        }
        rc = SQLMoreResults(statement);
        if (rc == SQL_ERROR) {
            outcome.failed = true;
            collect(SQL_HANDLE_STMT, statement, outcome.diagnostics);
            break;
        }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return outcome;
}

std::u16string OdbcSession::first_value(const std::u16string& sql, Outcome* outcome) {
    Outcome local;
    Outcome& result = outcome ? *outcome : local;
    SQLHSTMT statement = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, handles_->connection, &statement);
    auto text = wide(sql);
    std::u16string value;
    result.first_return = SQLExecDirectW(statement, text.data(), SQL_NTS);
    collect(SQL_HANDLE_STMT, statement, result.diagnostics);
    if (SQL_SUCCEEDED(result.first_return) && SQL_SUCCEEDED(SQLFetch(statement))) {
        SQLWCHAR buffer[1024] = {};
        SQLLEN indicator = 0;
        if (SQL_SUCCEEDED(SQLGetData(statement, 1, SQL_C_WCHAR, buffer, sizeof buffer, &indicator)) && indicator >= 0)
            value.assign(buffer, buffer + indicator / static_cast<SQLLEN>(sizeof(SQLWCHAR)));
    }
    result.failed = result.first_return == SQL_ERROR;
    SQLCloseCursor(statement);
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return value;
}

std::u16string OdbcSession::dbms_version() {
    SQLWCHAR buffer[64] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(handles_->connection, SQL_DBMS_VER, buffer, sizeof buffer, &length))) return {};
    return std::u16string(buffer, buffer + length / static_cast<SQLSMALLINT>(sizeof(SQLWCHAR)));
}

}  // namespace emulator::testing
