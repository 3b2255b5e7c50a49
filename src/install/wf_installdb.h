// The install pipeline: one press of Install, from the preconditions to the
// success report or the install failure path.
#pragma once

#include "install/install_context.h"
#include "install/install_outcome.h"

namespace install {

// Runs the whole installation synchronously; every outcome has already been
// reported to the operator when it returns.
InstallOutcome wf_installdb(InstallContext& context);

}  // namespace install
