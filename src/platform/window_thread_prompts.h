// The prompts of a worker: each one shown by the window's thread, through
// the seam, while the worker waits for the answer.
#pragma once

#include "prompts.h"
#include "window_thread_calls.h"

namespace platform {

class WindowThreadPrompts : public Prompts {
public:
    // `shown_by` does the showing on the window's thread.
    WindowThreadPrompts(Prompts& shown_by, const WindowThreadCalls& calls) : shown_by_(shown_by), calls_(calls) {}

    void message_box(const std::wstring& title, const std::wstring& text) override;
    bool ask_yes_no(const std::wstring& title, const std::wstring& text) override;
    FileChoice choose_file(const std::wstring& caption) override;
    std::wstring browse_folder(const std::wstring& caption) override;
    std::wstring open_response_window(ResponseWindow& window) override;

private:
    Prompts& shown_by_;
    const WindowThreadCalls& calls_;
};

}  // namespace platform
