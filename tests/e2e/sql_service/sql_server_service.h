// The service's life under the Service Control Manager: START plays a SQL
// Server instance's start-up (its registry settings, its port, the stand-in
// accepting connections), STOP stops the stand-in with its state saved.
#pragma once

#include "service_options.h"

namespace sql_service {

// Runs the service until the SCM stops it; the process's exit status.
int run_service(const ServiceOptions& options);

}  // namespace sql_service
