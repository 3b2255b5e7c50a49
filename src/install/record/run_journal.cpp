// Writing the run's record.
#include "install/record/run_journal.h"

#include "dbinstall_version.h"
#include "platform/clock.h"
#include "platform/machine.h"
#include "platform/odbc/transaction.h"

#include <cstdio>

namespace install {

namespace {

std::wstring two_digits(int value)
{
    wchar_t text[8];
    std::swprintf(text, std::size(text), L"%02d", value);
    return text;
}

std::wstring time_of_day(const platform::LocalTime& time)
{
    return two_digits(time.hour) + L":" + two_digits(time.minute) + L":" + two_digits(time.second);
}

// One line of the file for each line of the text.
std::wstring one_line(std::wstring text)
{
    for (size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at))
        text.replace(at, 2, L" / ");
    return text;
}

}  // namespace

void RunJournal::begin(const std::wstring& description)
{
    const platform::LocalTime now = platform::local_time_now();
    write(L"==== " + platform::iso_8601(now) + L" dbinstall " + std::wstring(L"" KORVENA_VERSION_TEXT) + L" on " +
          platform::computer_name() + L": " + description + L" ====");
}

void RunJournal::line(const std::wstring& text)
{
    write(time_of_day(platform::local_time_now()) + L" " + text);
}

void RunJournal::message(const std::wstring& title, const std::wstring& text)
{
    line(L"message: " + (title.empty() ? text : title + L": " + text));
}

void RunJournal::statement(const platform::StatementRecord& record)
{
    std::wstring outcome = L"ok";
    if (record.status_code == platform::Transaction::not_found)
        outcome = L"no row";
    else if (record.status_code != platform::Transaction::success)
        outcome = L"failed " + std::to_wstring(record.error_number) + L": " + record.error_text;
    line(L"sql: " + record.statement + L" -> " + outcome);
}

void RunJournal::note(const std::wstring& text)
{
    line(text);
}

void RunJournal::write(const std::wstring& text)
{
    const platform::Outcome written = file_.append(one_line(text));
    if (!written.succeeded && !failure_)
        failure_ = written.system_message;
}

void RunPrompts::message_box(const std::wstring& title, const std::wstring& text)
{
    if (journal_)
        journal_->message(title, text);
    last_message_ = text;
    shown_by_.message_box(title, text);
}

bool RunPrompts::ask_yes_no(const std::wstring& title, const std::wstring& text)
{
    const bool yes = shown_by_.ask_yes_no(title, text);
    if (journal_)
        journal_->message(title, text + (yes ? L" -> yes" : L" -> no"));
    return yes;
}

}  // namespace install
