// Prompts carried to the window's thread. A prompt whose window's thread has
// gone answers as cancelled, as a scripted one does.
#include "window_thread_prompts.h"

namespace platform {

void WindowThreadPrompts::message_box(const std::wstring& title, const std::wstring& text)
{
    calls_.run([&] { shown_by_.message_box(title, text); });
}

bool WindowThreadPrompts::ask_yes_no(const std::wstring& title, const std::wstring& text)
{
    bool yes = false;
    calls_.run([&] { yes = shown_by_.ask_yes_no(title, text); });
    return yes;
}

FileChoice WindowThreadPrompts::choose_file(const std::wstring& caption)
{
    FileChoice choice;
    calls_.run([&] { choice = shown_by_.choose_file(caption); });
    return choice;
}

std::wstring WindowThreadPrompts::browse_folder(const std::wstring& caption)
{
    std::wstring folder;
    calls_.run([&] { folder = shown_by_.browse_folder(caption); });
    return folder;
}

std::wstring WindowThreadPrompts::open_response_window(ResponseWindow& window)
{
    std::wstring result = L"0";
    calls_.run([&] { result = shown_by_.open_response_window(window); });
    return result;
}

}  // namespace platform
