// Prompts on the real Windows dialogs: MessageBoxW, GetOpenFileNameW,
// SHBrowseForFolderW, and response windows run in a modal loop.
#pragma once

#include "message_object.h"
#include "prompts.h"

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

private:
    MessageObject& message_;
};

}  // namespace platform
