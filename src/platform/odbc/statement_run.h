// One statement on an open ODBC connection, with every result drained.
#pragma once

#include "query_result.h"
#include "server_info.h"

#include <windows.h>

#include <sql.h>

#include <functional>
#include <optional>
#include <string>

namespace platform {

struct StatementOutcome {
    bool failed = false;
    std::wstring error_text;                // set when failed
    long error_number = 0;                  // the server's number of its first error; 0 when it sent none
    std::optional<QueryResult> first_result;  // the first result set, as far as wanted; unset when failed
};

// Sends `sql` as is with SQLExecDirectW and reads every result it produces
// (SQLMoreResults until SQL_NO_DATA); an error in any of them fails the
// statement. A batch with nothing to report (SQL_NO_DATA) succeeds.
// Informational messages go to `on_info` as they are read.
StatementOutcome run_statement(SQLHDBC connection, const std::wstring& sql, bool driver_is_freetds, RowsWanted wanted,
                               const InfoListener& on_info);

}  // namespace platform
