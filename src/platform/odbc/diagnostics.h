// The diagnostic records of an ODBC call, sorted into the server's errors,
// its informational messages and the driver's own messages.
#pragma once

#include <windows.h>

#include <sql.h>

#include "server_info.h"

#include <string>
#include <vector>

namespace platform {

struct DiagnosticRecord {
    std::wstring sqlstate;
    long native_error = 0;
    std::wstring text;  // as the driver gives it, with its [vendor][component] prefixes
};

std::vector<DiagnosticRecord> read_diagnostics(SQLSMALLINT handle_type, SQLHANDLE handle);

// `text` without the leading "[vendor][component]..." groups.
std::wstring strip_vendor_prefixes(const std::wstring& text);

// Collects the records of one connect or one statement, in the order read.
class StatementMessages {
public:
    explicit StatementMessages(bool driver_is_freetds) : freetds_(driver_is_freetds) {}

    // Keeps the errors and driver messages of `records` and returns the
    // server's informational messages among them (severity 10 and below).
    std::vector<ServerInfo> add(const std::vector<DiagnosticRecord>& records);

    bool has_server_error() const { return !server_errors_.empty(); }

    // The server's error texts joined by one blank; when the server sent
    // none, the driver's own texts joined the same way.
    std::wstring error_text() const;

    // The number of the server's first error; 0 when it sent none.
    long error_number() const { return first_error_number_; }

private:
    bool from_server(const DiagnosticRecord& record) const;

    bool freetds_;
    std::vector<std::wstring> server_errors_;
    std::vector<std::wstring> driver_messages_;
    long first_error_number_ = 0;
};

}  // namespace platform
