// An informational message of the server (severity 10 and below), as a
// listener receives it while a statement runs.
#pragma once

#include <functional>
#include <string>

namespace platform {

struct ServerInfo {
    long number = 0;   // e.g. 3211 for a backup's or restore's "N percent processed."
    std::wstring text;  // in the server's language, without the driver's prefixes
};

using InfoListener = std::function<void(const ServerInfo&)>;

}  // namespace platform
