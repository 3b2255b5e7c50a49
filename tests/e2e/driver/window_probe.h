// Looking at and acting on another process's windows: finding the installer's
// windows, reading and writing control texts, pressing buttons. Every call
// that needs the other process to answer gives up after a bound.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace driver {

inline constexpr wchar_t main_window_class[] = L"Korvena.w_main";
inline constexpr wchar_t check_dialog_class[] = L"Korvena.w_input_check_num";
inline constexpr wchar_t message_box_class[] = L"#32770";
inline constexpr int message_box_text_id = 0xFFFF;

// The shown main window, or nullptr.
HWND find_main_window();

// The process's top-level windows of `window_class`, shown or not yet shown.
std::vector<HWND> top_level_windows(DWORD process_id, const wchar_t* window_class);

std::wstring class_name_of(HWND window);
std::wstring caption_of(HWND window);

// The control's text through WM_GETTEXT; nullopt when the owner did not
// answer within `timeout_ms` (it is busy outside a message loop).
std::optional<std::wstring> read_text(HWND control, DWORD timeout_ms);
bool write_text(HWND control, const std::wstring& text, DWORD timeout_ms);
// Whether the check box is checked; nullopt when its owner did not answer.
std::optional<bool> read_checked(HWND button, DWORD timeout_ms);

// Presses a button the way a click does (BM_CLICK). It is sent without
// waiting, ahead of anything posted, so a later answered message proves
// the click has been handled or is inside a modal loop of its handler.
void press(HWND button);

// True when the window's thread answered a no-op message within the time.
bool answers(HWND window, DWORD timeout_ms);

}  // namespace driver
