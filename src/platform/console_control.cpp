// SetConsoleCtrlHandler.
#include "console_control.h"

#include <windows.h>

#include <mutex>

namespace platform {

namespace {

// The console calls on a thread of its own, also while the handler is being taken away.
std::mutex handler_mutex;
std::function<void(ConsoleControl)> control_handler;

void tell(ConsoleControl control)
{
    const std::lock_guard<std::mutex> lock(handler_mutex);
    if (control_handler)
        control_handler(control);
}

BOOL WINAPI on_console_control(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT: tell(ConsoleControl::interrupt); return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: tell(ConsoleControl::closing); return TRUE;
    default: return FALSE;
    }
}

}  // namespace

ConsoleControlHandler::ConsoleControlHandler(std::function<void(ConsoleControl)> handler)
{
    {
        const std::lock_guard<std::mutex> lock(handler_mutex);
        control_handler = std::move(handler);
    }
    SetConsoleCtrlHandler(on_console_control, TRUE);
}

ConsoleControlHandler::~ConsoleControlHandler()
{
    SetConsoleCtrlHandler(on_console_control, FALSE);
    const std::lock_guard<std::mutex> lock(handler_mutex);
    control_handler = nullptr;
}

}  // namespace platform
