// The server's error log, which the stand-in writes to its standard error in
// SQL Server's own format: what the client is not told, such as the real
// state and reason of a refused login.
#pragma once

#include "engine/response_sink.h"

#include <string>

namespace emulator::tds {

// Two lines from the "Logon" source: "Error: N, Severity: S, State: T." and
// the text with "[CLIENT: address]" appended. Safe from any thread.
void log_logon_error(const ServerMessage& error, const std::string& client_address);

}  // namespace emulator::tds
