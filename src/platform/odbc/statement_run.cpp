// Executes one statement and drains its results.
#include "statement_run.h"

#include "diagnostics.h"

#include <sqlext.h>

namespace platform {

namespace {

// A column of the current row as text; nullopt for NULL.
std::optional<std::wstring> read_column(SQLHSTMT statement, SQLUSMALLINT column)
{
    std::wstring value;
    SQLWCHAR chunk[256];
    for (;;) {
        SQLLEN indicator = 0;
        SQLRETURN rc = SQLGetData(statement, column, SQL_C_WCHAR, chunk, sizeof chunk, &indicator);
        if (indicator == SQL_NULL_DATA && SQL_SUCCEEDED(rc))
            return std::nullopt;
        if (!SQL_SUCCEEDED(rc))
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

std::vector<std::wstring> column_names(SQLHSTMT statement, SQLSMALLINT count)
{
    std::vector<std::wstring> names;
    for (SQLSMALLINT column = 1; column <= count; ++column) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT length = 0;
        SQLDescribeColW(statement, static_cast<SQLUSMALLINT>(column), name, 256, &length, nullptr, nullptr, nullptr,
                        nullptr);
        names.emplace_back(reinterpret_cast<const wchar_t*>(name));
    }
    return names;
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

StatementOutcome run_statement(SQLHDBC connection, const std::wstring& sql, bool driver_is_freetds, RowsWanted wanted,
                               const InfoListener& on_info)
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
    // The first result set's rows, as far as wanted. The rest of a result is
    // left to SQLMoreResults, which discards it.
    auto read_rows = [&](SQLHSTMT statement, SQLSMALLINT columns) {
        QueryResult result;
        result.columns = column_names(statement, columns);
        for (;;) {
            SQLRETURN fetched = SQLFetch(statement);
            take_messages(statement, fetched);
            if (!SQL_SUCCEEDED(fetched))
                break;
            QueryResult::Row row;
            for (SQLSMALLINT column = 1; column <= columns; ++column)
                row.push_back(read_column(statement, static_cast<SQLUSMALLINT>(column)));
            result.rows.push_back(std::move(row));
            if (wanted == RowsWanted::first_row)
                break;
        }
        return result;
    };

    StatementHandle statement(connection);
    if (statement.get() == SQL_NULL_HSTMT) {
        messages.add(read_diagnostics(SQL_HANDLE_DBC, connection));
        return {true, messages.error_text(), messages.error_number(), std::nullopt};
    }

    SQLRETURN rc = SQLExecDirectW(statement.get(), const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(sql.c_str())),
                                  SQL_NTS);
    while (rc != SQL_NO_DATA && rc != SQL_INVALID_HANDLE) {
        std::size_t records = take_messages(statement.get(), rc);
        SQLSMALLINT columns = 0;
        if (SQL_SUCCEEDED(rc) && wanted != RowsWanted::none && !outcome.first_result &&
            SQL_SUCCEEDED(SQLNumResultCols(statement.get(), &columns)) && columns > 0)
            outcome.first_result = read_rows(statement.get(), columns);
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
        outcome.error_number = messages.error_number();
        if (outcome.error_text.empty())
            outcome.error_text = L"The ODBC driver reported a failure without a message.";
        outcome.first_result.reset();
    }
    return outcome;
}

}  // namespace platform
