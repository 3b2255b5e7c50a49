// The steps after the operator has confirmed the replacement of the old
// database, in their order; each ends the run as a phase does (phases.h).
#pragma once

#include "install/phases/phases.h"

namespace install {

// The application login's connections to the old database: a refusal while
// it is in use (phase 6).
PhaseEnd check_old_database_unused(InstallRun& run);

// Everyone else's sessions in the old database ended, and everyone else kept
// out until it is dropped, so that nothing is written after its safety
// backup; the access it had is kept for the way back.
PhaseEnd keep_others_out_of_old_database(InstallRun& run);

// The old database written to a file beside the new one's, so that a failure
// after the drop can put it back; nothing when the run takes no backup.
PhaseEnd back_up_old_database(InstallRun& run);

// The old database and its login dropped (phase 7).
PhaseEnd drop_old_database_and_login(InstallRun& run);

}  // namespace install
