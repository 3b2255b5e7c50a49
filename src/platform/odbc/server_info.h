// What a connection tells a listener as it works: the server's informational
// messages (severity 10 and below) while a statement runs, and each
// statement's outcome.
#pragma once

#include <functional>
#include <string>

namespace platform {

struct ServerInfo {
    long number = 0;   // e.g. 3211 for a backup's or restore's "N percent processed."
    std::wstring text;  // in the server's language, without the driver's prefixes
};

using InfoListener = std::function<void(const ServerInfo&)>;

// What became of one statement, or of a connect ("CONNECT TO server AS login").
struct StatementRecord {
    std::wstring statement;
    long status_code = 0;   // 0, -1, or 100 for a single-row query without a row
    long error_number = 0;  // the server's, when it sent one
    std::wstring error_text;
};

using StatementListener = std::function<void(const StatementRecord&)>;

}  // namespace platform
