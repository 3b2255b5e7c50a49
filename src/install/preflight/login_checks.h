// The pre-flight's questions about logins: that the settings name the login
// the install makes, and that the login it drops and makes again serves no
// other database and can be dropped, so that no drop fails half-way.
#pragma once

#include "install/preflight/refusal.h"

#include <optional>

namespace install {

struct InstallRun;

// nullopt when the application login can be dropped and made again; else why not.
std::optional<Refusal> check_application_login(InstallRun& run);

}  // namespace install
