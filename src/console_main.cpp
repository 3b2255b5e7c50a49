// dbinstall.com's start-up: the same program for the console subsystem, so
// that cmd and PowerShell wait for it and see its exit status. It runs the
// command-line modes itself and hands anything else to dbinstall.exe, whose
// window it does not wait for.
#include "platform/machine.h"
#include "platform/runtime.h"
#include "unattended/command_line.h"
#include "unattended/run_unattended.h"
#include "unattended/window_program.h"

int wmain()
{
    const std::vector<std::wstring> arguments = platform::command_line_arguments();
    if (unattended::mode_of(arguments) == unattended::Mode::interactive)
        return unattended::start_window_program(arguments);
    return platform::start([&] { return unattended::run_from_command_line(arguments); },
                           platform::FailureReport::standard_error);
}
