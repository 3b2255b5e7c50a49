// What the GUI tests share: reading a real window's controls, pressing keys
// and buttons, and a w_main built in a registry and working directory the
// test controls.
#pragma once

#include "app/application.h"
#include "main_window/w_main.h"
#include "platform/scripted_prompts.h"
#include "sql_server_keys.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace gui_test {

std::wstring window_text(HWND window);
std::wstring control_text(HWND parent, int id);
void set_control_text(HWND parent, int id, const std::wstring& text);
void click(platform::ResponseWindow& window, int id);                 // BM_CLICK, then the queue is drained
void press_key(platform::ResponseWindow& window, int id, WPARAM key);  // WM_KEYDOWN at the control
void press_alt(platform::ResponseWindow& window, wchar_t letter);      // Alt+letter at the focused control
// Pumps the window's messages until the install it runs has ended; fails the
// test when it has not within a few seconds.
void wait_for_install(ui::w_main& window);

std::vector<platform::ShownPrompt> message_boxes(const platform::ScriptedPrompts& prompts);

// The control of `window` that has the focus: a combo box when its field has it.
int focused_control(HWND window);

using test_support::remove_sql_server_keys;
// SQL Server 2000's keys under HKLM\SOFTWARE\Microsoft\MSSQLServer (32-bit view).
void seed_sql_server_keys(const std::wstring& default_domain, const std::wstring& data_root);

// A w_main opened (created and run through its open sequence) in a fresh
// empty working directory, with SQL Server's keys removed unless a test seeds
// them before calling open_window().
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void open_window();
    HWND handle() const { return window_->handle(); }

    app::Application application_;
    platform::ScriptedPrompts prompts_;
    std::unique_ptr<ui::w_main> window_;
    std::wstring previous_directory_;
    std::wstring folder_;
};

}  // namespace gui_test
