// Scripted answers and the record of what was shown.
#include "scripted_prompts.h"

namespace platform {

namespace {

template <typename Answer>
Answer next_or(std::deque<Answer>& queue, Answer cancelled)
{
    if (queue.empty()) return cancelled;
    Answer answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

}  // namespace

void ScriptedPrompts::queue_file_choice(FileChoice choice) { file_choices_.push_back(std::move(choice)); }
void ScriptedPrompts::queue_folder(std::wstring folder) { folders_.push_back(std::move(folder)); }
void ScriptedPrompts::queue_response(std::wstring result) { responses_.push_back(std::move(result)); }
void ScriptedPrompts::queue_yes_no(bool yes) { yes_no_answers_.push_back(yes); }

void ScriptedPrompts::message_box(const std::wstring& title, const std::wstring& text)
{
    shown_.push_back({ShownPrompt::Kind::message_box, title, text});
}

bool ScriptedPrompts::ask_yes_no(const std::wstring& title, const std::wstring& text)
{
    shown_.push_back({ShownPrompt::Kind::question, title, text});
    return next_or(yes_no_answers_, false);
}

FileChoice ScriptedPrompts::choose_file(const std::wstring& caption)
{
    shown_.push_back({ShownPrompt::Kind::file_dialog, caption, {}});
    return next_or(file_choices_, FileChoice{});
}

std::wstring ScriptedPrompts::browse_folder(const std::wstring& caption)
{
    shown_.push_back({ShownPrompt::Kind::folder_browser, caption, {}});
    return next_or(folders_, std::wstring());
}

std::wstring ScriptedPrompts::open_response_window(ResponseWindow&)
{
    shown_.push_back({ShownPrompt::Kind::response_window, {}, {}});
    return next_or(responses_, std::wstring(L"0"));
}

}  // namespace platform
