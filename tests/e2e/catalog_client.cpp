// The second client over unixODBC's wide API (SQLWCHAR is UTF-16 there).
#include "catalog_client.h"

#include "text_encoding.h"

#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

namespace e2e {

struct CatalogClient::Handles {
    SQLHENV environment = SQL_NULL_HENV;
    SQLHDBC connection = SQL_NULL_HDBC;
    ~Handles() {
        if (connection != SQL_NULL_HDBC) {
            SQLDisconnect(connection);
            SQLFreeHandle(SQL_HANDLE_DBC, connection);
        }
        if (environment != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, environment);
    }
};

namespace {

std::u16string to_sql(const std::string& text) { return utf8_to_utf16(text); }
SQLWCHAR* sql_text(std::u16string& text) { return reinterpret_cast<SQLWCHAR*>(text.data()); }

// A connection-string value in braces. FreeTDS ends a braced value at the
// first "}" followed by ";" and does not undouble "}}", so nothing is doubled.
std::string braced(const std::string& value) { return "{" + value + "}"; }

// The diagnostic texts of a handle, without the "[vendor][component]" prefixes.
SqlError diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
    SqlError error;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR message[2048] = {};
        SQLSMALLINT length = 0;
        const SQLRETURN status = SQLGetDiagRecW(type, handle, record, state, &native, message, 2048, &length);
        if (!SQL_SUCCEEDED(status)) break;
        std::string text = utf16_to_utf8(std::u16string(reinterpret_cast<char16_t*>(message), static_cast<size_t>(length)));
        while (text.starts_with('[') && text.find(']') != std::string::npos) text.erase(0, text.find(']') + 1);
        if (!error.text.empty()) error.text += ' ';
        error.text += text;
    }
    return error;
}

class Statement {
public:
    explicit Statement(SQLHDBC connection) { SQLAllocHandle(SQL_HANDLE_STMT, connection, &handle_); }
    ~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, handle_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    std::optional<SqlError> run(const std::string& sql) {
        std::u16string text = to_sql(sql);
        const SQLRETURN status = SQLExecDirectW(handle_, sql_text(text), SQL_NTS);
        if (status == SQL_ERROR) return diagnostics(SQL_HANDLE_STMT, handle_);
        return std::nullopt;
    }

    std::vector<Row> rows() {
        std::vector<Row> rows;
        SQLSMALLINT columns = 0;
        SQLNumResultCols(handle_, &columns);
        while (columns > 0 && SQL_SUCCEEDED(SQLFetch(handle_))) {
            Row row;
            for (SQLUSMALLINT column = 1; column <= columns; ++column) {
                char16_t value[4096] = {};
                SQLLEN length = 0;
                SQLGetData(handle_, column, SQL_C_WCHAR, value, sizeof value, &length);
                row.push_back(length == SQL_NULL_DATA ? "<null>" : utf16_to_utf8(value));
            }
            rows.push_back(std::move(row));
        }
        return rows;
    }

    // Reads past the remaining results; the first error met, if any.
    std::optional<SqlError> drain() {
        for (;;) {
            const SQLRETURN status = SQLMoreResults(handle_);
            if (status == SQL_NO_DATA) return std::nullopt;
            if (status == SQL_ERROR) return diagnostics(SQL_HANDLE_STMT, handle_);
        }
    }

private:
    SQLHSTMT handle_ = SQL_NULL_HSTMT;
};

}  // namespace

CatalogClient::CatalogClient(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}
CatalogClient::~CatalogClient() = default;

std::variant<std::unique_ptr<CatalogClient>, SqlError> CatalogClient::connect(int port, const std::string& login,
                                                                              const std::string& password,
                                                                              const std::string& host) {
    auto handles = std::make_unique<Handles>();
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handles->environment);
    SQLSetEnvAttr(handles->environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, handles->environment, &handles->connection);
    SQLSetConnectAttr(handles->connection, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(10), 0);
    std::u16string connection_string =
        to_sql("DRIVER={FreeTDS};SERVER=" + host + ";PORT=" + std::to_string(port) + ";TDS_Version=7.4;DATABASE=master;UID=" +
               braced(login) + ";PWD=" + braced(password) + ";");
    const SQLRETURN status = SQLDriverConnectW(handles->connection, nullptr, sql_text(connection_string), SQL_NTS,
                                               nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(status)) {
        SqlError error = diagnostics(SQL_HANDLE_DBC, handles->connection);
        SQLFreeHandle(SQL_HANDLE_DBC, handles->connection);
        handles->connection = SQL_NULL_HDBC;
        return error;
    }
    return std::unique_ptr<CatalogClient>(new CatalogClient(std::move(handles)));
}

std::variant<std::vector<Row>, SqlError> CatalogClient::query(const std::string& sql) {
    Statement statement(handles_->connection);
    if (auto error = statement.run(sql)) return *error;
    std::vector<Row> rows = statement.rows();
    if (auto error = statement.drain()) return *error;
    return rows;
}

std::optional<SqlError> CatalogClient::execute(const std::string& sql) {
    Statement statement(handles_->connection);
    if (auto error = statement.run(sql)) return error;
    return statement.drain();
}

std::unique_ptr<CatalogClient> connect_as_sa(int port, const std::string& password, const std::string& host) {
    auto connected = CatalogClient::connect(port, "sa", password, host);
    if (auto* error = std::get_if<SqlError>(&connected)) {
        ADD_FAILURE() << "the second client cannot connect as sa: " << error->text;
        return nullptr;
    }
    return std::move(std::get<std::unique_ptr<CatalogClient>>(connected));
}

std::vector<Row> rows_as(int port, const std::string& login, const std::string& password, const std::string& sql) {
    auto connection = CatalogClient::connect(port, login, password);
    if (auto* error = std::get_if<SqlError>(&connection)) {
        ADD_FAILURE() << login << " cannot log in: " << error->text;
        return {};
    }
    auto result = std::get<std::unique_ptr<CatalogClient>>(connection)->query(sql);
    if (auto* error = std::get_if<SqlError>(&result)) {
        ADD_FAILURE() << sql << ": " << error->text;
        return {};
    }
    return std::get<std::vector<Row>>(result);
}

}  // namespace e2e
