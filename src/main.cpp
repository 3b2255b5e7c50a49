// Process start-up: hands control to the runtime, which creates the
// application object, opens w_main and returns when it has closed.
#include "app/application.h"
#include "main_window/w_main.h"
#include "platform/runtime.h"
#include "platform/win32_prompts.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // The command line is ignored.
    return platform::start([] {
        app::Application application;
        application.open();
        platform::Win32Prompts prompts(application.message);
        ui::w_main main_window(application, prompts);
        prompts.open_response_window(main_window);
        return 0;
    });
}
