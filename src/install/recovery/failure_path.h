// The install failure path: the one end of every run that failed after the
// connection, run by the pipeline once, whatever failed.
#pragma once

#include "install/install_outcome.h"

#include <string>

namespace install {

struct InstallRun;

// What made the run fail: the server's error for a statement, or what went
// wrong in the installer itself.
struct FailureCause {
    long error_number = 0;  // the server's; 0 when it was not the server's
    std::wstring error_text;
};

// Reports the cause on the status line, in the log and with a warning,
// undoes what the run changed on the server (see rollback.h), closes the
// connection and removes the staging file. Returns old_database_lost when
// the old database was dropped and is not back, else statement_failed.
InstallOutcome fail_install(InstallRun& run, const FailureCause& cause);

}  // namespace install
