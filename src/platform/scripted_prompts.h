// The test hook of Prompts: answers from a script, and a record of every
// prompt shown, in order, so tests assert on what the operator would see.
#pragma once

#include "prompts.h"

#include <deque>
#include <string>
#include <vector>

namespace platform {

struct ShownPrompt {
    enum class Kind { message_box, question, file_dialog, folder_browser, response_window };
    Kind kind;
    std::wstring title;  // message box title, dialog caption; empty for response windows
    std::wstring text;   // message box text; empty otherwise
};

class ScriptedPrompts : public Prompts {
public:
    // Queued answers, consumed in order. A dialog shown with no queued answer
    // is answered as cancelled ("" / empty FileChoice / "0" for response
    // windows, No for questions), so a test never blocks.
    void queue_file_choice(FileChoice choice);
    void queue_folder(std::wstring folder);
    void queue_response(std::wstring result);
    void queue_yes_no(bool yes);

    const std::vector<ShownPrompt>& shown() const { return shown_; }
    void clear_shown() { shown_.clear(); }

    void message_box(const std::wstring& title, const std::wstring& text) override;
    bool ask_yes_no(const std::wstring& title, const std::wstring& text) override;
    FileChoice choose_file(const std::wstring& caption) override;
    std::wstring browse_folder(const std::wstring& caption) override;
    std::wstring open_response_window(ResponseWindow& window) override;

private:
    std::deque<FileChoice> file_choices_;
    std::deque<std::wstring> folders_;
    std::deque<std::wstring> responses_;
    std::deque<bool> yes_no_answers_;
    std::vector<ShownPrompt> shown_;
};

}  // namespace platform
