// The modal message loop and its keyboard pre-translation.
#include "modal_loop.h"

#include "response_window.h"

#include <windows.h>

namespace platform {

namespace {

void handle(ResponseWindow& window, MSG& message)
{
    HWND root = window.handle();
    if (root && message.message == WM_KEYDOWN && message.wParam == VK_TAB && IsChild(root, message.hwnd) &&
        !(GetKeyState(VK_CONTROL) & 0x8000)) {
        window.focus_next_control((GetKeyState(VK_SHIFT) & 0x8000) != 0);
        return;
    }
    // The dialog manager gives access keys and arrow keys; Enter and Escape
    // reach the window as IDOK and IDCANCEL, which name no control here.
    if (root && IsDialogMessageW(root, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

}  // namespace

void run_modal(ResponseWindow& window)
{
    HWND owner = window.handle() ? GetWindow(window.handle(), GW_OWNER) : nullptr;
    if (owner) EnableWindow(owner, FALSE);
    window.show();
    MSG message;
    while (window.is_open()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(int(message.wParam));
            break;
        }
        if (got == -1) break;
        handle(window, message);
    }
    if (owner) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
}

void process_pending_messages(ResponseWindow& window)
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(int(message.wParam));
            return;
        }
        handle(window, message);
    }
}

}  // namespace platform
