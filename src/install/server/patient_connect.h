// Connecting again to a server that may be starting up (a restarted
// service, a server recovering its databases): retries with growing waits
// while the server cannot be reached, never when it refuses the login.
#pragma once

#include <chrono>

namespace install {

struct InstallRun;

// Connects SQLCA to master as the administrator; when the server cannot be
// reached, tries again after 1, 2, 4 and 8 seconds and then every 10
// seconds, the status line saying so, until `limit` has passed. A login the
// server refuses ends it at once. True when connected; otherwise SQLCA holds
// the last attempt's error. Logs nothing.
bool connect_patiently(InstallRun& run, std::chrono::seconds limit);

}  // namespace install
