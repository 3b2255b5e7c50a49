// Progress on the window's taskbar button, where the system offers it
// (ITaskbarList3, Windows 7 and later); a no-op elsewhere.
#pragma once

#include "response_window.h"

#include <optional>

struct ITaskbarList3;

namespace platform {

class TaskbarProgress {
public:
    // On the window's thread, with COM initialised there.
    explicit TaskbarProgress(WindowHandle window);
    ~TaskbarProgress();
    TaskbarProgress(const TaskbarProgress&) = delete;
    TaskbarProgress& operator=(const TaskbarProgress&) = delete;

    // A bar at `percent` (0 to 100), or no bar at all for nullopt.
    void show(std::optional<int> percent);

private:
    WindowHandle window_;
    ITaskbarList3* taskbar_ = nullptr;
};

}  // namespace platform
