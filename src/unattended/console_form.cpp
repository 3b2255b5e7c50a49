// The unattended install form.
#include "console_form.h"

#include "install/server/progress.h"
#include "platform/console.h"

namespace unattended {

void ConsoleForm::append_to_log(const std::wstring& text) {
    // The log's lines end in CR LF; a console line ends in LF alone.
    std::wstring line = text;
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, L"\r\n") == 0) line.erase(line.size() - 2);
    platform::write_text(platform::Stream::output, line + L"\n");
}

void ConsoleForm::show_progress(int percent) {
    // Each percentage once per phase, so a log of the run stays short.
    if (!values_.show_progress || (status_ == progress_shown_for_ && percent == last_percent_)) return;
    progress_shown_for_ = status_;
    last_percent_ = percent;
    platform::write_text(platform::Stream::error, progress_line(status_, percent) + L"\n");
}

std::wstring progress_line(const std::wstring& status, int percent) {
    return L"progress: " + install::with_percent(status, percent);
}

std::wstring message_line(const std::wstring& title, const std::wstring& text) {
    // A box breaks its lines with CR LF; a console line ends in LF alone.
    std::wstring lines;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')) lines += text[i];
    return title.empty() ? lines : title + L": " + lines;
}

}  // namespace unattended
