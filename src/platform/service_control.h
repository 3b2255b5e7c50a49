// Windows services through the Service Control Manager: what state a
// service is in and how it starts, and starting, stopping and setting it to
// start by itself, each waiting (bounded) until the service has done it.
#pragma once

#include "outcome.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class ServiceStartType { automatic, on_demand, disabled, other };

struct ServiceState {
    bool running = false;  // SERVICE_RUNNING
    bool stopped = false;  // SERVICE_STOPPED; neither while it starts, stops or pauses
    ServiceStartType start_type = ServiceStartType::other;
};

// The service's state, or nullopt when no service has that name (or the
// Service Control Manager cannot be asked).
std::optional<ServiceState> query_service(const std::wstring& name);

// The services that depend on this one and are running now, the ones
// depending on them first: the order in which they must be stopped.
std::vector<std::wstring> running_dependents(const std::wstring& name);

// Sets the service to start with Windows.
Outcome set_service_automatic(const std::wstring& name);

// Starts the service (nothing when it runs already) and waits until it
// runs; fails with the system's message, or when it has not started within
// `limit`.
Outcome start_service(const std::wstring& name, std::chrono::seconds limit);

// Stops the service (nothing when it is stopped already) and waits until it
// has stopped, as start_service. A service with running dependents is not
// stopped: stop them first.
Outcome stop_service(const std::wstring& name, std::chrono::seconds limit);

}  // namespace platform
