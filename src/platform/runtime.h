// Process start-up of the runtime: prepares the process for windows and
// shell dialogs, runs the application, and turns a broken invariant into a
// message instead of a silent crash.
#pragma once

#include <exception>
#include <functional>
#include <string>

namespace platform {

// Where a broken invariant is reported: a message box for the window;
// standard error for the command line, where a script or a deployment tool
// runs the program and no one may be there to press OK.
enum class FailureReport { message_box, standard_error };

// An exception's what() as a message shows it (read in the system's code
// page, as the runtime library writes it).
std::wstring exception_text(const std::exception& error);

// Runs `application` and returns its exit code; 1 when it threw.
int start(const std::function<int()>& application, FailureReport report = FailureReport::message_box);

}  // namespace platform
