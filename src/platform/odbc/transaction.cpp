// SQLCA over ODBC: the connection's lifetime and the statement kinds.
#include "transaction.h"

#include "connection_string.h"
#include "diagnostics.h"
#include "driver_choice.h"
#include "statement_run.h"
#include "string_literal.h"

#include <sqlext.h>

namespace platform {

namespace {

constexpr SQLULEN login_timeout_seconds = 15;

// Sets a failed status when there is no connection to run a statement on.
bool report_if_closed(bool open, long& status, std::wstring& error, long& error_number)
{
    if (open)
        return false;
    status = Transaction::failure;
    error = L"The connection to the server is not open.";
    error_number = 0;
    return true;
}

}  // namespace

struct Transaction::Handles {
    SQLHENV environment = SQL_NULL_HENV;
    SQLHDBC connection = SQL_NULL_HDBC;  // set only while connected
    bool freetds = false;
};

Transaction::Transaction() : handles_(std::make_unique<Handles>())
{
    if (SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handles_->environment)))
        SQLSetEnvAttr(handles_->environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    else
        handles_->environment = SQL_NULL_HENV;
}

Transaction::~Transaction()
{
    disconnect();
    if (handles_->environment != SQL_NULL_HENV)
        SQLFreeHandle(SQL_HANDLE_ENV, handles_->environment);
}

void Transaction::tell_listener(const std::wstring& statement, long status) const
{
    if (statement_listener_)
        statement_listener_({statement, status, status == failure ? error_number_ : 0,
                             status == failure ? error_text_ : std::wstring()});
}

void Transaction::connect()
{
    connect_to_server();
    tell_listener(L"CONNECT TO " + server_name + L" AS " + (integrated_security ? L"(Windows authentication)" : login_id),
                  status_code_);
}

void Transaction::connect_to_server()
{
    disconnect();
    auto fail = [this](std::wstring text, long number = 0) {
        status_code_ = failure;
        error_text_ = std::move(text);
        error_number_ = number;
    };
    if (handles_->environment == SQL_NULL_HENV)
        return fail(L"The ODBC driver manager could not be loaded.");

    std::wstring driver = choose_driver(configured_driver(), installed_drivers(handles_->environment));
    if (driver.empty())
        return fail(L"No SQL Server ODBC driver is installed.");
    handles_->freetds = is_freetds(driver);
    const ConnectionSettings settings{driver,         server_name,               database_name,       login_id,
                                      login_password, verify_server_certificate, integrated_security};
    std::optional<std::wstring> text = build_connection_string(settings);
    if (!text)
        return fail(L"The ODBC driver " + driver + L" cannot take a login, password or server name holding \"};\".");
    const std::optional<std::wstring> encryption = encryption_attributes(settings);
    if (!encryption)
        return fail(L"The ODBC driver " + driver +
                    L" cannot verify the server's certificate; ODBC Driver 18 for SQL Server can.");
    *text += *encryption;

    SQLHDBC connection = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, handles_->environment, &connection)))
        return fail(L"The ODBC driver manager could not open a connection handle.");
    SQLSetConnectAttrW(connection, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(login_timeout_seconds), 0);
    SQLSetConnectAttrW(connection, SQL_ATTR_AUTOCOMMIT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(auto_commit ? SQL_AUTOCOMMIT_ON
                                                                                    : SQL_AUTOCOMMIT_OFF)),
                       0);

    SQLRETURN rc = SQLDriverConnectW(connection, nullptr,
                                     const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(text->c_str())),
                                     SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    StatementMessages messages(handles_->freetds);
    if (rc != SQL_SUCCESS) {
        for (const auto& info : messages.add(read_diagnostics(SQL_HANDLE_DBC, connection)))
            if (info_listener_)
                info_listener_(info);
    }
    if (!SQL_SUCCEEDED(rc)) {
        SQLFreeHandle(SQL_HANDLE_DBC, connection);
        std::wstring reason = messages.error_text();
        return fail(reason.empty() ? L"The ODBC driver refused the connection without a message." : reason,
                    messages.error_number());
    }
    handles_->connection = connection;

    // The installer's statements write text in double quotes and mean a
    // string. Part of the connect, so not told as a statement of its own.
    run(L"SET QUOTED_IDENTIFIER OFF", RowsWanted::none, false);
    if (status_code_ != success) {
        std::wstring reason = error_text_;
        disconnect();
        fail(reason, error_number_);
    }
}

void Transaction::disconnect()
{
    if (handles_->connection == SQL_NULL_HDBC)
        return;
    SQLDisconnect(handles_->connection);
    SQLFreeHandle(SQL_HANDLE_DBC, handles_->connection);
    handles_->connection = SQL_NULL_HDBC;
}

bool Transaction::connected() const
{
    return handles_->connection != SQL_NULL_HDBC;
}

std::optional<QueryResult> Transaction::run(const Statement& sql, RowsWanted wanted, bool told)
{
    if (report_if_closed(connected(), status_code_, error_text_, error_number_)) {
        if (told)
            tell_listener(sql.shown, failure);
        return std::nullopt;
    }
    StatementOutcome outcome = run_statement(handles_->connection, sql.sent, handles_->freetds, wanted, info_listener_);
    status_code_ = outcome.failed ? failure : success;
    error_text_ = outcome.error_text;
    error_number_ = outcome.error_number;
    std::optional<QueryResult> rows = std::move(outcome.first_result);
    // A single-row query without a row is told as 100, as its caller sees it.
    if (told)
        tell_listener(sql.shown, wanted == RowsWanted::first_row && status_code_ == success && (!rows || rows->rows.empty())
                               ? not_found
                               : status_code_);
    return rows;
}

void Transaction::execute_immediate(const Statement& sql)
{
    run(sql, RowsWanted::none);
}

void Transaction::select_single(const std::wstring& query, const std::vector<std::wstring>& values,
                                std::wstring& result)
{
    const std::optional<QueryResult> rows = run(fill_placeholders(query, values), RowsWanted::first_row);
    if (status_code_ != success)
        return;
    if (!rows || rows->rows.empty() || rows->rows.front().empty()) {
        status_code_ = not_found;
        return;
    }
    // A NULL first value reads as empty, as the runtime gives it.
    result = rows->rows.front().front().value_or(L"");
}

void Transaction::select_rows(const std::wstring& query, const std::vector<std::wstring>& values, QueryResult& result)
{
    std::optional<QueryResult> rows = run(fill_placeholders(query, values), RowsWanted::all_rows);
    if (status_code_ != success)
        return;
    result = rows ? std::move(*rows) : QueryResult{};
}

void Transaction::set_statement_listener(StatementListener listener)
{
    statement_listener_ = std::move(listener);
}

void Transaction::set_info_listener(InfoListener listener)
{
    info_listener_ = std::move(listener);
}

}  // namespace platform
