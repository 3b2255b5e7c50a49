// Opens w_input_check_num on its own, as the install pipeline would, so that
// it can be looked at (and photographed) without a server. Exits with 0 when
// the code was confirmed, 1 otherwise.
#include "confirm_dialog/w_input_check_num.h"
#include "platform/message_object.h"
#include "platform/runtime.h"
#include "platform/win32_prompts.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    return platform::start([] {
        platform::MessageObject message;
        platform::Win32Prompts prompts(message);
        ui::w_input_check_num dialog(prompts, message);
        return prompts.open_response_window(dialog) == L"1" ? 0 : 1;
    });
}
