// The way back after a failure: puts the server as it was before the run.
#pragma once

#include "install/install_run.h"

#include <string>

namespace install {

struct RollbackReport {
    enum class Result {
        nothing_to_undo,  // the server held nothing the run had changed
        undone,           // everything the run changed is as it was
        failed,           // a step of the way back failed: `error` says why
    };
    Result result = Result::nothing_to_undo;
    bool old_database_restored = false;
    std::wstring error;  // the server's text, or why the old database cannot come back
};

// Reconnects as the administrator and, by what the server now holds, drops
// the database and the login the run created, restores the old database
// from its safety backup onto its own files, and makes again the logins the
// run dropped (with the application's password, their default database when
// it exists, their sysadmin role). Logs each step; stops at the first that
// fails. Leaves SQLCA connected or not; the caller closes it.
RollbackReport roll_back(InstallRun& run);

}  // namespace install
