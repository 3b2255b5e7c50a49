// Message boxes of an unattended run, on standard error.
#include "console_prompts.h"

#include "console_form.h"
#include "platform/console.h"

namespace unattended {

void ConsolePrompts::message_box(const std::wstring& title, const std::wstring& text) {
    platform::write_text(platform::Stream::error, message_line(title, text) + L"\n");
}

bool ConsolePrompts::ask_yes_no(const std::wstring& title, const std::wstring& text) {
    message_box(title, text);
    return false;
}

}  // namespace unattended
