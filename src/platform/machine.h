// Facts about the machine and the process: computer name, working directory,
// screen size.
#pragma once

#include <optional>
#include <string>

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

// The primary screen's size, or nullopt when the system does not report it.
std::optional<ScreenSize> display_size();

}  // namespace platform
