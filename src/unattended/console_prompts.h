// The prompts of an unattended run: message boxes become lines on standard
// error; nothing ever waits for a person.
#pragma once

#include "platform/prompts.h"

namespace unattended {

class ConsolePrompts : public platform::Prompts {
public:
    void message_box(const std::wstring& title, const std::wstring& text) override;
    // No one is there to answer: the question is written out, and answered No.
    bool ask_yes_no(const std::wstring& title, const std::wstring& text) override;
    // No one is there to pick: the pickers answer as cancelled.
    platform::FileChoice choose_file(const std::wstring&) override { return {}; }
    std::wstring browse_folder(const std::wstring&) override { return {}; }
    std::wstring open_response_window(platform::ResponseWindow&) override { return L"0"; }
};

}  // namespace unattended
