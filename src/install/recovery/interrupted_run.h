// An earlier run that was interrupted after it had changed the server (its
// record still on disk) is put right before anything else: the old database
// back from its safety backup where it is missing or not online, what that
// run created taken away, its logins made again.
#pragma once

#include "install/phases/phases.h"

namespace install {

struct InstallRun;

// Nothing when no earlier run left a record. Otherwise connects to the
// server the record names (patiently: it may be restarting), runs the
// rollback on the record's changes, says what it did, and lets the run go on
// once the server is as it was before that run; when that could not be done,
// the run fails (the failure path tries once more and names the safety backup).
PhaseEnd recover_interrupted_run(InstallRun& run);

}  // namespace install
