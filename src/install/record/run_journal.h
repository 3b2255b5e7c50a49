// The record of install runs kept in a log file: a header line for each run,
// then every log line, message box and statement outcome with its time of
// day, and the run's result. No password ever reaches the file: a statement
// that carries one is told to the journal with it as asterisks (see
// platform::Statement), and nothing else the journal is given holds one.
#pragma once

#include "platform/log_file.h"
#include "platform/odbc/server_info.h"
#include "platform/prompts.h"

#include <optional>
#include <string>

namespace install {

class RunJournal {
public:
    explicit RunJournal(platform::LogFile& file) : file_(file) {}

    // "==== <ISO 8601 time> dbinstall <version> on <computer>: <description> ===="
    void begin(const std::wstring& description);
    void line(const std::wstring& text);
    void message(const std::wstring& title, const std::wstring& text);
    void statement(const platform::StatementRecord& record);
    void note(const std::wstring& text);

    // Why the file could not be written, once it could not. Writing goes on
    // being tried: a log file never stops an install.
    const std::optional<std::wstring>& failure() const { return failure_; }

private:
    void write(const std::wstring& text);

    platform::LogFile& file_;
    std::optional<std::wstring> failure_;
};

// The prompts of a run: each message box is shown, written to the journal
// when there is one, and the last one kept for the run's report.
class RunPrompts : public platform::Prompts {
public:
    RunPrompts(platform::Prompts& shown_by, RunJournal* journal) : shown_by_(shown_by), journal_(journal) {}

    void message_box(const std::wstring& title, const std::wstring& text) override;
    bool ask_yes_no(const std::wstring& title, const std::wstring& text) override;
    platform::FileChoice choose_file(const std::wstring& caption) override { return shown_by_.choose_file(caption); }
    std::wstring browse_folder(const std::wstring& caption) override { return shown_by_.browse_folder(caption); }
    std::wstring open_response_window(platform::ResponseWindow& window) override
    {
        return shown_by_.open_response_window(window);
    }

    // The text of the last message box shown; empty when none was.
    const std::wstring& last_message() const { return last_message_; }

private:
    platform::Prompts& shown_by_;
    RunJournal* journal_;
    std::wstring last_message_;
};

}  // namespace install
