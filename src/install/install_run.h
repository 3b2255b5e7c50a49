// One run of wf_installdb as its phases see it, and the phases themselves.
// Each phase either lets the run go on (nullopt) or ends it with the outcome
// it has already reported to the operator.
#pragma once

#include "install/record/install_log.h"
#include "install/record/install_report.h"
#include "install/server/server_facts.h"
#include "install/server/server_version.h"
#include "install/wf_installdb.h"

#include <optional>
#include <string>
#include <vector>

namespace install {

// What the run has asked the server to change, in order: what a rollback
// must look at. A statement counts from the moment it is sent, since a
// dropped connection leaves its outcome unknown.
struct ServerChanges {
    std::optional<std::wstring> safety_backup;  // the old database's backup file, once written
    bool old_database_dropped = false;          // the drop succeeded
    std::vector<LoginRecord> dropped_logins;    // as they were before their drop was sent
    bool database_create_sent = false;
    bool login_create_sent = false;             // the application login

    bool any() const
    {
        return old_database_dropped || !dropped_logins.empty() || database_create_sent || login_create_sent;
    }
};

struct InstallRun {
    InstallContext& context;
    InstallLog log;
    const std::wstring staging_path = L"c:\\zq.tmp";  // ls_sourcedbfile

    // Learnt by the pre-flight.
    ServerVersion server_version;
    std::vector<DatabaseFile> old_database_files;  // empty when no old database exists
    bool template_staged = false;

    std::optional<bool> old_database_found;  // unknown until the pre-flight or the detection has looked
    ServerChanges changes;
    bool old_database_restored = false;  // by the rollback
    int64_t rollback_milliseconds = 0;
    InstallReport report;

    explicit InstallRun(InstallContext& run_context)
        : context(run_context), log(run_context.form, run_context.journal)
    {
    }
};

using PhaseEnd = std::optional<InstallOutcome>;

PhaseEnd check_preconditions(InstallRun& run);                    // phase 1
PhaseEnd connect_as_administrator(InstallRun& run);               // phases 2 and 3
PhaseEnd run_preflight(InstallRun& run);                          // the checks before any change, staging included
PhaseEnd replace_old_database(InstallRun& run);                   // phases 4 to 7, with the safety backup
PhaseEnd create_new_database(InstallRun& run);                    // phase 8
PhaseEnd restore_template(InstallRun& run);                       // phase 9
PhaseEnd set_up_application_login(InstallRun& run);               // phase 10
PhaseEnd seed_store_mode(InstallRun& run);                        // phase 11
InstallOutcome complete_install(InstallRun& run);                 // phase 12

// Copies the template to the staging path; the system's message when it cannot.
std::optional<std::wstring> stage_template(InstallRun& run);

// Removes the staging file when the run made one; every end of a run calls it.
void remove_staged_template(InstallRun& run);

// Why the pre-flight will not let the install go on, in the operator's words.
struct Refusal {
    std::wstring problem;  // what is wrong, naming the file, folder or login
    std::wstring advice;   // what to do about it
};

// The pre-flight's end: the problem on the status line and in the log, a
// warning naming it, the staging file removed, the connection closed.
InstallOutcome refuse_install(InstallRun& run, const Refusal& refusal);

// The install failure path: reports SQLCA's error_text on the status line,
// in the log and with a warning, undoes what the run changed on the server
// (see rollback.h), closes the connection.
InstallOutcome fail_install(InstallRun& run);

// Ends an early stop: the staging file goes, the arrow pointer is back, and
// the run ends with `outcome`.
InstallOutcome stop_install(InstallRun& run, InstallOutcome outcome);

}  // namespace install
