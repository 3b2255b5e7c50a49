// Executes one statement and drains its results.
#include "statement_run.h"

#include "diagnostics.h"

#include <sqlext.h>

namespace platform {

namespace {

// The first column of the current row as text; NULL reads as empty.
std::wstring read_first_column(SQLHSTMT statement)
{
    std::wstring value;
    SQLWCHAR chunk[256];
    for (;;) {
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(statement, 1, SQL_C_WCHAR, chunk, sizeof chunk, &indicator);
        if (!SQL_SUCCEEDED(rc) || indicator == SQL_NULL_DATA)
            break;
        // A long value arrives in pieces; each full piece keeps one slot for its terminator.
        size_t piece = (indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof chunk))
                           ? sizeof chunk / sizeof chunk[0] - 1
                           : static_cast<size_t>(indicator) / sizeof chunk[0];
        value.append(reinterpret_cast<const wchar_t*>(chunk), piece);
        if (rc == SQL_SUCCESS)
            break;
    }
    return value;
}

class StatementHandle {
public:
    explicit StatementHandle(SQLHDBC connection)
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &handle_)))
            handle_ = SQL_NULL_HSTMT;
    }
    ~StatementHandle()
    {
        if (handle_ != SQL_NULL_HSTMT)
            SQLFreeHandle(SQL_HANDLE_STMT, handle_);
    }
    StatementHandle(const StatementHandle&) = delete;
    StatementHandle& operator=(const StatementHandle&) = delete;

    SQLHSTMT get() const { return handle_; }

private:
    SQLHSTMT handle_ = SQL_NULL_HSTMT;
};

}  // namespace

StatementOutcome run_statement(SQLHDBC connection, const std::wstring& sql, bool driver_is_freetds,
                               bool wants_first_value, const std::function<void(const std::wstring&)>& on_info)
{
    StatementOutcome outcome;
    StatementMessages messages(driver_is_freetds);
    bool call_failed = false;
    auto take_messages = [&](SQLHSTMT statement, SQLRETURN rc) {
        if (rc == SQL_ERROR)
            call_failed = true;
        if (rc != SQL_ERROR && rc != SQL_SUCCESS_WITH_INFO)
            return std::size_t{0};
        auto records = read_diagnostics(SQL_HANDLE_STMT, statement);
        for (const auto& info : messages.add(records))
            if (on_info)
                on_info(info);
        return records.size();
    };

    StatementHandle statement(connection);
    if (statement.get() == SQL_NULL_HSTMT) {
        messages.add(read_diagnostics(SQL_HANDLE_DBC, connection));
        return {true, messages.error_text(), std::nullopt};
    }

    SQLRETURN rc = SQLExecDirectW(statement.get(), const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(sql.c_str())),
                                  SQL_NTS);
    bool first_rows_seen = false;
    while (rc != SQL_NO_DATA && rc != SQL_INVALID_HANDLE) {
        std::size_t records = take_messages(statement.get(), rc);
        SQLSMALLINT columns = 0;
        if (SQL_SUCCEEDED(rc) && wants_first_value && !first_rows_seen &&
            SQL_SUCCEEDED(SQLNumResultCols(statement.get(), &columns)) && columns > 0) {
            first_rows_seen = true;
            SQLRETURN fetched = SQLFetch(statement.get());
            take_messages(statement.get(), fetched);
            if (SQL_SUCCEEDED(fetched))
                outcome.first_value = read_first_column(statement.get());
        }
        // A driver that keeps failing without saying why would loop forever.
        if (rc == SQL_ERROR && records == 0)
            break;
        rc = SQLMoreResults(statement.get());
    }
    if (rc == SQL_INVALID_HANDLE)
        call_failed = true;

    outcome.failed = call_failed || messages.has_server_error();
    if (outcome.failed) {
        outcome.error_text = messages.error_text();
        if (outcome.error_text.empty())
            outcome.error_text = L"The ODBC driver reported a failure without a message.";
        outcome.first_value.reset();
    }
    return outcome;
}

}  // namespace platform
