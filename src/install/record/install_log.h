// InstallLog: the status line st_info and the multi-line log mle_1, and the
// run's journal, which keeps each line too.
#pragma once

#include "install/install_form.h"

#include <string>

namespace install {

class RunJournal;

class InstallLog {
public:
    explicit InstallLog(InstallForm& form, RunJournal* journal = nullptr) : form_(form), journal_(journal) {}

    // The status line shows `caption`, and the log gains it as a line.
    void LogPhase(const std::wstring& caption);

    // The log gains `text` as a line; the status line is left alone.
    void LogLine(const std::wstring& text);

    // The log gains the status line's current text as a line.
    void log_status_line();

private:
    InstallForm& form_;
    RunJournal* journal_;
};

}  // namespace install
