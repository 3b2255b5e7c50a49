// The real prompts. Each is owned by the active window of the program, so it
// stays in front of the form and the form waits for it.
#include "win32_prompts.h"

#include "modal_loop.h"
#include "response_window.h"

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

namespace platform {

void Win32Prompts::message_box(const std::wstring& title, const std::wstring& text)
{
    MessageBoxW(GetActiveWindow(), text.c_str(), title.c_str(), MB_OK);
}

bool Win32Prompts::ask_yes_no(const std::wstring& title, const std::wstring& text)
{
    // What is asked changes the server: an Enter pressed out of habit must not agree.
    return MessageBoxW(GetActiveWindow(), text.c_str(), title.c_str(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) ==
           IDYES;
}

FileChoice Win32Prompts::choose_file(const std::wstring& caption)
{
    std::wstring path(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = GetActiveWindow();
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
    browse.hwndOwner = GetActiveWindow();
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
    if (!window.create(GetActiveWindow())) return message_.string_parm;
    run_modal(window);
    return message_.string_parm;
}

}  // namespace platform
