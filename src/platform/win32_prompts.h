// Prompts on the real Windows dialogs: MessageBoxW, GetOpenFileNameW,
// SHBrowseForFolderW, and response windows run in a modal loop.
#pragma once

#include "message_object.h"
#include "prompts.h"
#include "response_window.h"

#include <vector>

namespace platform {

class Win32Prompts : public Prompts {
public:
    // Response windows leave their result in `message`.
    explicit Win32Prompts(MessageObject& message) : message_(message) {}

    void message_box(const std::wstring& title, const std::wstring& text) override;
    bool ask_yes_no(const std::wstring& title, const std::wstring& text) override;
    FileChoice choose_file(const std::wstring& caption) override;
    std::wstring browse_folder(const std::wstring& caption) override;
    std::wstring open_response_window(ResponseWindow& window) override;

    // The window every prompt belongs to when no other window is open
    // through these prompts; the first response window opened becomes it
    // by itself.
    void set_main_window(WindowHandle window);

private:
    // The innermost window open through these prompts, after flashing its
    // taskbar button when another program is in front.
    WindowHandle owner_for_prompt() const;

    MessageObject& message_;
    std::vector<WindowHandle> open_windows_;  // the main window first
};

}  // namespace platform
