// Process start-up of the runtime: prepares the process for windows and
// shell dialogs, runs the application, and turns a broken invariant into a
// message instead of a silent crash.
#pragma once

#include <functional>

namespace platform {

// Runs `application` and returns its exit code; 1 when it threw.
int start(const std::function<int()>& application);

}  // namespace platform
