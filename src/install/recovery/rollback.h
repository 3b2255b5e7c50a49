// The way back after a failure: puts the server as it was before the run.
#pragma once

#include <string>
#include <vector>

namespace install {

struct InstallRun;

struct RollbackReport {
    enum class Result {
        nothing_to_undo,  // the server held nothing the run had changed
        undone,           // everything the run changed is as it was
        failed,           // a step of the way back failed: `error` says why
    };
    // What became of the old database, when the run had sent its drop.
    enum class OldDatabase {
        not_dropped,  // the drop was never sent
        still_there,  // sent, but the database is there as it was: the drop never happened
        restored,     // put back from its safety backup
        missing,      // not there, or not known to be: the way back failed before or at it
    };
    Result result = Result::nothing_to_undo;
    OldDatabase old_database = OldDatabase::not_dropped;
    std::wstring error;  // the server's text, or why the old database cannot come back
    // What is back, but not as it was (a login's default database that no
    // longer exists), in the operator's words.
    std::vector<std::wstring> differences;
};

// Connects as the administrator again (patiently: the server may be
// restarting) and, by what the server now holds, drops the database and the
// login the run created (ending every session in that database first),
// puts the old database back from its safety backup onto its own files when
// it is missing or not online, gives it back the user access it had, and
// makes again the logins the run dropped, with their SIDs, passwords,
// server roles and states. Logs each step; stops at the first
// that fails. Leaves SQLCA connected or not; the caller closes it.
RollbackReport roll_back(InstallRun& run);

}  // namespace install
