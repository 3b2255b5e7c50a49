// One run of wf_installdb as its phases see it, and the phases themselves.
// Each phase either lets the run go on (nullopt) or ends it with the outcome
// it has already reported to the operator.
#pragma once

#include "install_log.h"
#include "wf_installdb.h"

#include <optional>
#include <string>

namespace install {

struct InstallRun {
    InstallContext& context;
    InstallLog log;
    const std::wstring staging_path = L"c:\\zq.tmp";  // ls_sourcedbfile

    explicit InstallRun(InstallContext& run_context) : context(run_context), log(run_context.form) {}
};

using PhaseEnd = std::optional<InstallOutcome>;

PhaseEnd check_preconditions(InstallRun& run);                    // phase 1
PhaseEnd connect_as_administrator(InstallRun& run);               // phases 2 and 3
PhaseEnd replace_old_database(InstallRun& run);                   // phases 4 to 7
PhaseEnd create_new_database(InstallRun& run);                    // phase 8
PhaseEnd restore_template(InstallRun& run);                       // phase 9
PhaseEnd set_up_application_login(InstallRun& run);               // phase 10
PhaseEnd seed_store_mode(InstallRun& run);                        // phase 11
InstallOutcome complete_install(InstallRun& run);                 // phase 12

// Resets the attributes of a file at the staging path and deletes it; the
// results are not looked at.
void remove_staging_file(const std::wstring& staging_path);

// The install failure path: reports SQLCA's error_text on the status line,
// in the log and with a warning, closes the connection.
InstallOutcome fail_install(InstallRun& run);

// Ends an early stop: the arrow pointer is back, and the run ends with `outcome`.
InstallOutcome stop_install(InstallOutcome outcome);

}  // namespace install
