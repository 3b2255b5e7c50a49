// The driver's steps, acted out on the installer's windows.
#include "step_runner.h"

#include "observations.h"
#include "window_probe.h"

#include <algorithm>

namespace driver {

namespace {

// Control IDs of the installer's windows.
constexpr int status_line_id = 108;   // st_info
constexpr int log_id = 107;           // mle_1
constexpr int install_button_id = 121;  // cb_1
constexpr int exit_button_id = 120;   // cb_2
constexpr int dialog_cancel_id = 201; // cb_cancel
constexpr int dialog_ok_id = 202;     // cb_ok
constexpr int dialog_code_id = 204;   // st_4
constexpr int dialog_entry_id = 205;  // sle_1

constexpr DWORD poll_interval_ms = 50;
constexpr DWORD answer_wait_ms = 200;
constexpr DWORD probe_wait_ms = 5000;
constexpr wchar_t restore_caption[] = L"装载系统模板数据库...";
constexpr wchar_t still_installing[] = L"正在安装数据库，请等安装结束后再关闭窗口。";

bool past(DWORD deadline) { return static_cast<LONG>(GetTickCount() - deadline) >= 0; }

}  // namespace

bool StepRunner::run(const Step& step) {
    switch (step.kind) {
        case StepKind::startup_message: return answer_startup_message(step);
        case StepKind::wait_main: return wait_for_main_window(step);
        case StepKind::set_text: return set_text(step);
        case StepKind::click: return click(step);
        case StepKind::read_status: return print_control_text(step, status_line_id, L"status");
        case StepKind::read_log: return print_control_text(step, log_id, L"log");
        case StepKind::read_text: return print_control_text(step, step.control_id, L"text");
        case StepKind::read_checked: return print_checked(step);
        case StepKind::read_install_enabled:
            if (!require_main_window(step)) return false;
            if (!wait_until_not_installing(GetTickCount() + timeout_ms_)) return fail(step, L"the install did not end");
            print_observation({L"install-enabled",
                               IsWindowEnabled(GetDlgItem(main_window_, install_button_id)) ? L"1" : L"0"});
            return true;
        case StepKind::answer_message: return answer_message(step);
        case StepKind::code_right:
        case StepKind::code_wrong:
        case StepKind::code_cancel: return answer_check_dialog(step);
        case StepKind::wait_idle: return wait_until_idle(step);
        case StepKind::watch_install: return watch_install(step);
        case StepKind::close_main: return close_main_window(step);
    }
    return fail(step, L"unknown step");
}

bool StepRunner::answer_startup_message(const Step& step) {
    // The main window exists, hidden, while its open sequence shows the box.
    const DWORD deadline = GetTickCount() + timeout_ms_;
    HWND window = FindWindowW(main_window_class, nullptr);
    while (!window) {
        if (past(deadline)) return fail(step, L"the installer's main window was not created");
        Sleep(poll_interval_ms);
        window = FindWindowW(main_window_class, nullptr);
    }
    GetWindowThreadProcessId(window, &process_id_);
    return answer_message_box(step, deadline);
}

bool StepRunner::wait_for_main_window(const Step& step) {
    const DWORD deadline = GetTickCount() + timeout_ms_;
    while (!past(deadline)) {
        if (HWND window = find_main_window(); window && answers(window, answer_wait_ms)) {
            main_window_ = window;
            GetWindowThreadProcessId(window, &process_id_);
            return true;
        }
        Sleep(poll_interval_ms);
    }
    return fail(step, L"the main window did not appear");
}

bool StepRunner::set_text(const Step& step) {
    if (!require_main_window(step)) return false;
    HWND control = GetDlgItem(main_window_, step.control_id);
    if (!control) return fail(step, L"no such control");
    if (!write_text(control, step.text, timeout_ms_)) return fail(step, L"the window did not answer");
    return true;
}

bool StepRunner::click(const Step& step) {
    if (!require_main_window(step)) return false;
    HWND button = GetDlgItem(main_window_, step.control_id);
    if (!button) return fail(step, L"no such control");
    // A person cannot press a greyed button.
    if (!IsWindowEnabled(button)) return fail(step, L"the button is disabled");
    press(button);
    return true;
}

bool StepRunner::print_control_text(const Step& step, int control_id, const wchar_t* label) {
    if (!require_main_window(step)) return false;
    if (!wait_until_not_installing(GetTickCount() + timeout_ms_)) return fail(step, L"the install did not end");
    const auto text = read_text(GetDlgItem(main_window_, control_id), timeout_ms_);
    if (!text) return fail(step, L"the window did not answer");
    print_observation({label, *text});
    return true;
}

bool StepRunner::print_checked(const Step& step) {
    if (!require_main_window(step)) return false;
    HWND button = GetDlgItem(main_window_, step.control_id);
    if (!button) return fail(step, L"no such control");
    const auto checked = read_checked(button, timeout_ms_);
    if (!checked) return fail(step, L"the window did not answer");
    print_observation({L"checked", *checked ? L"1" : L"0"});
    return true;
}

bool StepRunner::answer_message(const Step& step) {
    if (!require_main_window(step)) return false;
    return answer_message_box(step, GetTickCount() + timeout_ms_);
}

bool StepRunner::answer_message_box(const Step& step, DWORD deadline) {
    HWND box = wait_for_visible(message_box_class, deadline);
    if (!box) return fail(step, L"no message box appeared");
    const auto text = read_text(GetDlgItem(box, message_box_text_id), timeout_ms_);
    if (!text) return fail(step, L"the message box did not answer");
    print_observation({L"message", caption_of(box), *text});
    HWND ok = GetDlgItem(box, IDOK);
    if (!ok) return fail(step, L"the message box has no OK button");
    press(ok);
    if (!wait_until_gone(box, GetTickCount() + timeout_ms_)) return fail(step, L"the message box stayed open");
    return true;
}

bool StepRunner::answer_check_dialog(const Step& step) {
    if (!require_main_window(step)) return false;
    const DWORD deadline = GetTickCount() + timeout_ms_;
    HWND dialog = wait_for_visible(check_dialog_class, deadline);
    if (!dialog) return fail(step, L"the check-code dialog did not appear");

    if (step.kind == StepKind::code_cancel) {
        press(GetDlgItem(dialog, dialog_cancel_id));
        return wait_until_gone(dialog, deadline) || fail(step, L"the dialog stayed open after Cancel");
    }

    const auto code = read_text(GetDlgItem(dialog, dialog_code_id), timeout_ms_);
    if (!code) return fail(step, L"the dialog did not answer");
    print_observation({L"code", *code});
    // "0000" is never drawn, so it is always a wrong answer.
    const std::wstring typed = step.kind == StepKind::code_right ? *code : (*code == L"0000" ? L"9999" : L"0000");
    if (!write_text(GetDlgItem(dialog, dialog_entry_id), typed, timeout_ms_))
        return fail(step, L"the dialog did not answer");
    press(GetDlgItem(dialog, dialog_ok_id));
    // After a wrong code the dialog stays and a message box follows; the
    // next step reads it.
    if (step.kind == StepKind::code_wrong) return true;
    return wait_until_gone(dialog, deadline) || fail(step, L"the dialog stayed open after the right code");
}

bool StepRunner::wait_until_idle(const Step& step) {
    if (!require_main_window(step)) return false;
    const DWORD deadline = GetTickCount() + timeout_ms_;
    while (!past(deadline)) {
        const bool box_open = !top_level_windows(process_id_, message_box_class).empty() ||
                              !top_level_windows(process_id_, check_dialog_class).empty();
        if (box_open) {
            // A box still being built or torn down is not yet visible; one
            // that is shown is something the test did not ask for.
            if (wait_for_visible(message_box_class, GetTickCount() + answer_wait_ms) ||
                wait_for_visible(check_dialog_class, GetTickCount() + answer_wait_ms)) {
                report_open_message_boxes();
                return fail(step, L"a window opened instead of the installer going idle");
            }
            continue;
        }
        // Clicks are sent ahead of this message, so an answer with no box
        // open and Exit usable again means the install has ended.
        if (answers(main_window_, answer_wait_ms) && top_level_windows(process_id_, message_box_class).empty() &&
            top_level_windows(process_id_, check_dialog_class).empty() &&
            IsWindowEnabled(GetDlgItem(main_window_, exit_button_id)))
            return true;
        Sleep(poll_interval_ms);
    }
    return fail(step, L"the installer stayed busy");
}

bool StepRunner::watch_install(const Step& step) {
    if (!require_main_window(step)) return false;
    const DWORD deadline = GetTickCount() + timeout_ms_;
    DWORD slowest = 0;
    std::wstring last_status;
    bool close_sent = false;
    while (!past(deadline)) {
        const DWORD sent = GetTickCount();
        DWORD_PTR result = 0;
        SendMessageTimeoutW(main_window_, WM_NULL, 0, 0, SMTO_NORMAL, probe_wait_ms, &result);
        slowest = std::max(slowest, GetTickCount() - sent);

        if (HWND box = wait_for_visible(message_box_class, GetTickCount())) {
            const auto text = read_text(GetDlgItem(box, message_box_text_id), timeout_ms_).value_or(L"");
            if (text != still_installing) break;  // the install's own message: the next step reads it
            print_observation({L"refused", text});
            press(GetDlgItem(box, IDOK));
            wait_until_gone(box, GetTickCount() + timeout_ms_);
            continue;
        }
        const auto status = read_text(GetDlgItem(main_window_, status_line_id), probe_wait_ms);
        if (status && *status != last_status) {
            last_status = *status;
            if (last_status.ends_with(L"%")) print_observation({L"progress", last_status});
            // Closing while the restore runs must not end the program.
            if (!close_sent && last_status.starts_with(restore_caption) && last_status.ends_with(L"%")) {
                PostMessageW(main_window_, WM_CLOSE, 0, 0);
                close_sent = true;
            }
        }
        Sleep(poll_interval_ms);
    }
    print_observation({L"slowest", std::to_wstring(slowest)});
    if (past(deadline)) return fail(step, L"no message box ended the install");
    return true;
}

bool StepRunner::wait_until_not_installing(DWORD deadline) {
    while (!IsWindowEnabled(GetDlgItem(main_window_, exit_button_id))) {
        if (past(deadline) || !IsWindow(main_window_)) return false;
        Sleep(poll_interval_ms);
    }
    return true;
}

bool StepRunner::close_main_window(const Step& step) {
    if (!require_main_window(step)) return false;
    if (!wait_until_not_installing(GetTickCount() + timeout_ms_)) return fail(step, L"the install did not end");
    press(GetDlgItem(main_window_, exit_button_id));
    if (!wait_until_gone(main_window_, GetTickCount() + timeout_ms_)) return fail(step, L"the window stayed open");
    main_window_ = nullptr;
    return true;
}

bool StepRunner::require_main_window(const Step& step) {
    if (main_window_ && IsWindow(main_window_)) return true;
    return fail(step, L"no main window (run wait-main first)");
}

HWND StepRunner::wait_for_visible(const wchar_t* window_class, DWORD deadline) {
    for (;;) {
        for (HWND window : top_level_windows(process_id_, window_class))
            if (IsWindowVisible(window)) return window;
        if (past(deadline)) return nullptr;
        Sleep(poll_interval_ms);
    }
}

bool StepRunner::wait_until_gone(HWND window, DWORD deadline) {
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (past(deadline)) return false;
        Sleep(poll_interval_ms);
    }
    return true;
}

void StepRunner::report_open_message_boxes() {
    for (const wchar_t* window_class : {message_box_class, check_dialog_class})
        for (HWND window : top_level_windows(process_id_, window_class)) {
            const auto text = read_text(GetDlgItem(window, message_box_text_id), answer_wait_ms);
            print_observation({L"unexpected", class_name_of(window), caption_of(window), text.value_or(L"")});
        }
}

bool StepRunner::fail(const Step& step, const std::wstring& reason) {
    print_observation({L"failed", step.source, reason});
    return false;
}

}  // namespace driver
