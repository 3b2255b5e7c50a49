// How an install run ended: exactly one outcome per run, each with its word
// for the log and the result document.
#pragma once

#include <string>

namespace install {

// Only `completed` is a success, and `checked` for a dry run.
enum class InstallOutcome {
    completed,
    checked,               // a dry run found nothing that would stop an install; nothing was changed
    unverified,            // installed, but the tills' login through the client alias failed
    statement_failed,      // a statement failed: the install failure path ran, the old database is there
    old_database_lost,     // ... and the old database was dropped and is not back: its safety backup is named
    template_missing,      // no file at the template path
    connection_failed,     // the server could not be reached
    login_refused,         // the server refused the administrator's login: no retry can change that
    declined,              // the operator did not retype the check code
    old_database_in_use,   // the application login still uses the old database
    name_refused,          // a name in dbinstall.ini is not a regular identifier
    refused,               // the pre-flight found a problem; nothing on the server was changed
    already_running,       // another install runs on this computer; nothing was done
    interrupted,           // stopped on request (Ctrl+C) before anything on the server was changed
};

// True for the outcomes that are no failure: `completed` and `checked`.
inline bool ended_well(InstallOutcome outcome)
{
    return outcome == InstallOutcome::completed || outcome == InstallOutcome::checked;
}

// The outcome as one word, as the log and the result document name it:
// "completed", "failed", "template_missing", "refused", ...
std::wstring outcome_name(InstallOutcome outcome);

}  // namespace install
