// dbinstall.com asked for the window: the window is dbinstall.exe's, beside it.
#pragma once

#include <string>
#include <vector>

namespace unattended {

// Starts dbinstall.exe from the running program's folder with `arguments`,
// in the same working directory, without waiting for it. Returns 0 when it
// started; otherwise writes why to standard error and returns
// exit_window_not_started.
int start_window_program(const std::vector<std::wstring>& arguments);

}  // namespace unattended
