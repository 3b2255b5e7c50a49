// Runs the driver's steps against the installer's windows, printing what each
// step saw. Every wait ends at the runner's timeout.
#pragma once

#include "step_language.h"

#include <windows.h>

#include <string>

namespace driver {

class StepRunner {
public:
    explicit StepRunner(DWORD timeout_ms) : timeout_ms_(timeout_ms) {}

    // True when the step did what it says; otherwise it has printed
    // "failed<TAB>step<TAB>reason" (and anything unexpected it saw).
    bool run(const Step& step);

private:
    bool answer_startup_message(const Step& step);
    bool wait_for_main_window(const Step& step);
    bool set_text(const Step& step);
    bool click(const Step& step);
    bool print_control_text(const Step& step, int control_id, const wchar_t* label);
    bool print_checked(const Step& step);
    bool answer_message(const Step& step);
    bool answer_message_box(const Step& step, DWORD deadline);
    bool answer_check_dialog(const Step& step);
    bool wait_until_idle(const Step& step);
    bool watch_install(const Step& step);
    // The install's end shows as Exit enabled again; false at the deadline.
    bool wait_until_not_installing(DWORD deadline);
    bool close_main_window(const Step& step);

    bool require_main_window(const Step& step);
    HWND wait_for_visible(const wchar_t* window_class, DWORD deadline);
    bool wait_until_gone(HWND window, DWORD deadline);
    void report_open_message_boxes();
    bool fail(const Step& step, const std::wstring& reason);

    DWORD timeout_ms_;
    HWND main_window_ = nullptr;
    DWORD process_id_ = 0;
};

}  // namespace driver
