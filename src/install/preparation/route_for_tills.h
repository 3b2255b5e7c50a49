// The pre-flight's question whether the store's tills will be able to log
// in once the database is installed, and, with the operator's consent, the
// server's settings changed and its service restarted so that they can —
// before anything else on the server changes.
#pragma once

#include "install/preflight/refusal.h"

#include <optional>

namespace install {

struct InstallRun;

// Learns how the server listens (run.listening) and what would stop the
// tills; asks the operator to let it remove what it can, removes it and
// looks again. A refusal when something stays in the way: declined,
// impossible here, or still there after the restart.
std::optional<Refusal> prepare_route_for_tills(InstallRun& run);

}  // namespace install
