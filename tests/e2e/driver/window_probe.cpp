// Win32 calls on another process's windows.
#include "window_probe.h"

namespace driver {

namespace {

struct WindowSearch {
    DWORD process_id;
    const wchar_t* window_class;
    std::vector<HWND> found;
};

BOOL CALLBACK collect_matching_window(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.process_id && class_name_of(window) == search.window_class) search.found.push_back(window);
    return TRUE;
}

}  // namespace

HWND find_main_window() {
    HWND window = FindWindowW(main_window_class, nullptr);
    return window && IsWindowVisible(window) ? window : nullptr;
}

std::vector<HWND> top_level_windows(DWORD process_id, const wchar_t* window_class) {
    WindowSearch search{process_id, window_class, {}};
    EnumWindows(collect_matching_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring class_name_of(HWND window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring caption_of(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, caption.data(), length + 1);
    caption.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return caption;
}

std::optional<std::wstring> read_text(HWND control, DWORD timeout_ms) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeout_ms, &length))
        return std::nullopt;
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                             timeout_ms, &copied))
        return std::nullopt;
    text.resize(copied);
    return text;
}

bool write_text(HWND control, const std::wstring& text, DWORD timeout_ms) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                               timeout_ms, &result) != 0;
}

std::optional<bool> read_checked(HWND button, DWORD timeout_ms) {
    DWORD_PTR state = 0;
    if (!SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_NORMAL, timeout_ms, &state)) return std::nullopt;
    return state == BST_CHECKED;
}

void press(HWND button) { SendNotifyMessageW(button, BM_CLICK, 0, 0); }

bool answers(HWND window, DWORD timeout_ms) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeout_ms, &result) != 0;
}

}  // namespace driver
