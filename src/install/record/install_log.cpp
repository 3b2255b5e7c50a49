// InstallLog over the form's status line and log box.
#include "install/record/install_log.h"

#include "install/record/run_journal.h"

namespace install {

void InstallLog::LogPhase(const std::wstring& caption)
{
    form_.set_status_text(caption);
    log_status_line();
}

void InstallLog::LogLine(const std::wstring& text)
{
    form_.append_to_log(text + L"\r\n");
    if (journal_)
        journal_->line(text);
}

void InstallLog::log_status_line()
{
    LogLine(form_.status_text());
}

}  // namespace install
