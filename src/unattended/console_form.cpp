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
    // A box breaks its lines with CR LF; a console line ends in LF alone.
    std::wstring lines;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')) lines += text[i];
    return title.empty() ? lines : title + L": " + lines;
}

}  // namespace unattended
