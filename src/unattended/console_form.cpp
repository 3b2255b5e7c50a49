// The unattended install form.
#include "console_form.h"

#include "platform/console.h"

namespace unattended {

void ConsoleForm::append_to_log(const std::wstring& text) {
    // The log's lines end in CR LF; a console line ends in LF alone.
    std::wstring line = text;
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, L"\r\n") == 0) line.erase(line.size() - 2);
    platform::write_text(platform::Stream::output, line + L"\n");
}

std::wstring message_line(const std::wstring& title, const std::wstring& text) {
    return title.empty() ? text : title + L": " + text;
}

}  // namespace unattended
