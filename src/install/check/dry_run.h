// A dry run (--check): the install's own preconditions, connection and
// pre-flight, then the old database looked at, and an answer whether an
// install with the same options would go through. The steps here are the
// dry run's only; everything else is the install's code, asked to change
// nothing.
#pragma once

#include "install/phases/phases.h"

#include <string>

namespace install {

// Notes that an install would change the server's settings as `changes` says
// (one "\r\n- " line each), and whether the dry run's options allow it
// (--configure-server).
bool note_server_changes(InstallRun& run, const std::wstring& changes);

// Instead of putting right what an interrupted install left (which changes
// the server), a dry run finding its record refuses; nullopt without one.
PhaseEnd refuse_check_after_interrupted_run(InstallRun& run);

// Fills run.report.check with what the run learnt, wherever it ended.
void complete_check_report(InstallRun& run);

}  // namespace install
