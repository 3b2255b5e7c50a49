// The driver's step language: each command-line argument is one step.
//
//   startup-message    wait for a message box the installer shows while it opens,
//                      before its main window is shown; print it as message does
//   wait-main          wait until the installer's main window is shown
//   set:ID=TEXT        put TEXT into the control ID of the main window
//   click:ID           press the button or radio button ID of the main window
//   status             print "status<TAB>" and the status line
//   log                print "log<TAB>" and the whole progress log
//   install-enabled    print "install-enabled<TAB>1" or "...0"
//   text:ID            print "text<TAB>" and the text of the main window's control ID
//   checked:ID         print "checked<TAB>1" when the main window's check box ID
//                      is checked, else "checked<TAB>0"
//   message            wait for a message box, print "message<TAB>title<TAB>text", press OK
//   code-right         wait for the check-code dialog, print "code<TAB>" and the
//                      shown code, type it and press OK
//   code-wrong         wait for the check-code dialog, type a code that differs
//                      from the shown one and press OK (a message box follows)
//   code-cancel        wait for the check-code dialog and press Cancel
//   idle               wait until the install has ended with no box open
//   watch-install      while the install runs, until a message box other than
//                      the "still installing" notice opens: send WM_NULL every
//                      50 ms and print "slowest<TAB>ms" (the longest answer),
//                      print "progress<TAB>status line" for each status with a
//                      percentage, post WM_CLOSE once the restore shows one,
//                      and answer the notice it brings ("refused<TAB>text")
//   close              press Exit and wait until the window is gone
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace driver {

enum class StepKind {
    startup_message,
    wait_main,
    set_text,
    click,
    read_status,
    read_log,
    read_install_enabled,
    read_text,
    read_checked,
    answer_message,
    code_right,
    code_wrong,
    code_cancel,
    wait_idle,
    watch_install,
    close_main,
};

struct Step {
    StepKind kind;
    int control_id = 0;  // set_text, click, read_text, read_checked
    std::wstring text;   // set_text
    std::wstring source; // the argument as given, for reports
};

// The step, or nullopt when the argument is not one.
std::optional<Step> parse_step(const std::wstring& argument);

}  // namespace driver
