// The documented exit statuses of an unattended run, one per way a run ends.
#pragma once

#include "install/install_outcome.h"

namespace unattended {

constexpr int exit_usage_error = 2;
constexpr int exit_window_not_started = 9;  // dbinstall.com could not start dbinstall.exe

int exit_status_of(install::InstallOutcome outcome);

}  // namespace unattended
