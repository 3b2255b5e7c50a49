// One statement on an open ODBC connection, with every result drained.
#pragma once

#include <windows.h>

#include <sql.h>

#include <functional>
#include <optional>
#include <string>

namespace platform {

struct StatementOutcome {
    bool failed = false;
    std::wstring error_text;                  // set when failed
    std::optional<std::wstring> first_value;  // first column of the first row, when asked for and found
};

// Sends `sql` as is with SQLExecDirectW and reads every result it produces
// (SQLMoreResults until SQL_NO_DATA); an error in any of them fails the
// statement. A batch with nothing to report (SQL_NO_DATA) succeeds.
// Informational messages go to `on_info` as they are read.
StatementOutcome run_statement(SQLHDBC connection, const std::wstring& sql, bool driver_is_freetds,
                               bool wants_first_value, const std::function<void(const std::wstring&)>& on_info);

}  // namespace platform
