// Facts about the machine and the process: computer name, working directory,
// environment, command line, screen size.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// The NetBIOS computer name, or "" when it cannot be obtained.
std::wstring computer_name();

// The process's working directory, as Windows reports it (a drive root keeps
// its backslash, other folders have none at the end); "" on failure.
std::wstring working_directory();

struct ScreenSize {
    int width;   // pixels
    int height;  // pixels
};

// The process's environment variable `name`, or "" when it is not set.
std::wstring environment_variable(const std::wstring& name);

// The process's command-line arguments after the program name.
std::vector<std::wstring> command_line_arguments();

// The folder holding the running program's file, with its trailing
// backslash; "" when Windows does not say.
std::wstring program_folder();

// The primary screen's size, or nullopt when the system does not report it.
std::optional<ScreenSize> display_size();

}  // namespace platform
