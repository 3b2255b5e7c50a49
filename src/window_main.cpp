// dbinstall.exe's start-up: hands control to the runtime, which creates the
// application object, opens w_main and returns when it has closed; the
// command-line modes run without the window.
#include "app/application.h"
#include "main_window/w_main.h"
#include "platform/machine.h"
#include "platform/runtime.h"
#include "platform/win32_prompts.h"
#include "unattended/command_line.h"
#include "unattended/run_unattended.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // The command line is ignored unless it asks for a command-line mode.
    const std::vector<std::wstring> arguments = platform::command_line_arguments();
    if (unattended::mode_of(arguments) != unattended::Mode::interactive) {
        return platform::start([&] { return unattended::run_from_command_line(arguments); },
                               platform::FailureReport::standard_error);
    }
    return platform::start([] {
        app::Application application;
        application.open();
        platform::Win32Prompts prompts(application.message);
        ui::w_main main_window(application, prompts);
        prompts.open_response_window(main_window);
        return 0;
    });
}
