// The phases of an install, in the order the pipeline runs them. Each either
// lets the run go on (nullopt) or ends it with an outcome. A phase that ends
// with statement_failed has reported nothing yet, and SQLCA still holds the
// server's error: the pipeline runs the install failure path for it. Every
// other outcome the phase has already reported to the operator.
#pragma once

#include "install/install_outcome.h"

#include <optional>

namespace install {

struct InstallRun;

using PhaseEnd = std::optional<InstallOutcome>;

PhaseEnd check_preconditions(InstallRun& run);       // phase 1
PhaseEnd connect_as_administrator(InstallRun& run);  // phases 2 and 3
PhaseEnd run_preflight(InstallRun& run);             // the checks before any change, staging included
PhaseEnd replace_old_database(InstallRun& run);      // phases 4 to 7, with the safety backup
PhaseEnd create_new_database(InstallRun& run);       // phase 8
PhaseEnd restore_template(InstallRun& run);          // phase 9
PhaseEnd set_up_application_login(InstallRun& run);  // phase 10
PhaseEnd seed_store_mode(InstallRun& run);           // phase 11
PhaseEnd verify_tills_login(InstallRun& run);        // the client alias, and the tills' login through it
PhaseEnd complete_install(InstallRun& run);          // phase 12: always ends the run
PhaseEnd answer_check(InstallRun& run);              // a dry run's end after the pre-flight: always ends the run

// Ends an early stop: the staging file goes, the arrow pointer is back, and
// the run ends with `outcome`.
InstallOutcome stop_install(InstallRun& run, InstallOutcome outcome);

}  // namespace install
