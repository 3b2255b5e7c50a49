// The real prompts. Each is owned by the program's innermost open window, not
// by the active window: that is nothing while the operator works in another
// program, and an unowned box would open behind the form, leaving the
// install looking stuck. The owner keeps it in front and waits for it.
#include "win32_prompts.h"

#include "modal_loop.h"
#include "response_window.h"

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

namespace platform {

void Win32Prompts::message_box(const std::wstring& title, const std::wstring& text)
{
    MessageBoxW(owner_for_prompt(), text.c_str(), title.c_str(), MB_OK);
}

bool Win32Prompts::ask_yes_no(const std::wstring& title, const std::wstring& text)
{
    // What is asked changes the server: an Enter pressed out of habit must not agree.
    return MessageBoxW(owner_for_prompt(), text.c_str(), title.c_str(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) ==
           IDYES;
}

FileChoice Win32Prompts::choose_file(const std::wstring& caption)
{
    std::wstring path(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner_for_prompt();
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = DWORD(path.size());
    dialog.lpstrTitle = caption.c_str();
    // The working directory is where dbinstall.ini and the default template
    // live; picking a file elsewhere must not move it.
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&dialog)) return {};
    path.resize(path.find(L'\0'));
    return {path, path.substr(dialog.nFileOffset)};
}

std::wstring Win32Prompts::browse_folder(const std::wstring& caption)
{
    BROWSEINFOW browse{};
    browse.hwndOwner = owner_for_prompt();
    browse.lpszTitle = caption.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (!chosen) return {};
    std::wstring path(MAX_PATH, L'\0');
    const bool named = SHGetPathFromIDListW(chosen, path.data()) != FALSE;
    CoTaskMemFree(chosen);
    if (!named) return {};
    path.resize(path.find(L'\0'));
    return path;
}

std::wstring Win32Prompts::open_response_window(ResponseWindow& window)
{
    message_.string_parm.clear();
    if (!window.create(owner_for_prompt())) return message_.string_parm;
    open_windows_.push_back(window.handle());
    run_modal(window);
    open_windows_.pop_back();
    return message_.string_parm;
}

void Win32Prompts::set_main_window(WindowHandle window)
{
    if (open_windows_.empty())
        open_windows_.push_back(window);
    else
        open_windows_.front() = window;
}

WindowHandle Win32Prompts::owner_for_prompt() const
{
    if (open_windows_.empty())
        return nullptr;
    HWND owner = open_windows_.back();
    DWORD foreground_process = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &foreground_process);
    if (foreground_process != GetCurrentProcessId()) {
        // Until the operator comes back to the program.
        FLASHWINFO flash{sizeof(flash), GetAncestor(owner, GA_ROOTOWNER), FLASHW_ALL | FLASHW_TIMERNOFG, 0, 0};
        FlashWindowEx(&flash);
    }
    return owner;
}

}  // namespace platform
