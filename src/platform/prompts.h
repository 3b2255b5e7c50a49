// The operations that wait for a person: message boxes, the file and folder
// pickers, and response (modal) windows. Logic reaches them only through this
// interface so that tests can script the answers and see what was shown.
#pragma once

#include <string>

namespace platform {

class ResponseWindow;

// The file-open dialog's answer; both texts are empty when cancelled.
struct FileChoice {
    std::wstring path;  // full path of the chosen file
    std::wstring name;  // its bare name
};

class Prompts {
public:
    virtual ~Prompts() = default;

    // One OK button; returns when dismissed. An empty title is shown empty.
    virtual void message_box(const std::wstring& title, const std::wstring& text) = 0;

    // Yes and No buttons, No the default; true when the person chose Yes.
    virtual bool ask_yes_no(const std::wstring& title, const std::wstring& text) = 0;

    // No start folder, no default extension, no filter.
    virtual FileChoice choose_file(const std::wstring& caption) = 0;

    // The chosen folder, or empty when cancelled.
    virtual std::wstring browse_folder(const std::wstring& caption) = 0;

    // Shows `window` modally and returns, after it has closed, the result
    // string it left in the message object.
    virtual std::wstring open_response_window(ResponseWindow& window) = 0;
};

}  // namespace platform
