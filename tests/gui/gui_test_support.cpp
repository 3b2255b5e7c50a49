// Helpers of the GUI tests.
#include "gui_test_support.h"

#include "platform/form_builder.h"
#include "platform/modal_loop.h"

#include <chrono>

namespace gui_test {

std::wstring window_text(HWND window)
{
    std::wstring text(size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    return text;
}

std::wstring control_text(HWND parent, int id) { return window_text(GetDlgItem(parent, id)); }

void set_control_text(HWND parent, int id, const std::wstring& text) { SetDlgItemTextW(parent, id, text.c_str()); }

int focused_control(HWND window) { return GetDlgCtrlID(platform::form_control_holding(window, GetFocus())); }

void click(platform::ResponseWindow& window, int id)
{
    SendMessageW(GetDlgItem(window.handle(), id), BM_CLICK, 0, 0);
    platform::process_pending_messages(window);
}

void press_key(platform::ResponseWindow& window, int id, WPARAM key)
{
    HWND control = GetDlgItem(window.handle(), id);
    SetFocus(control);
    PostMessageW(control, WM_KEYDOWN, key, 1);
    PostMessageW(control, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
    platform::process_pending_messages(window);
}

void press_alt(platform::ResponseWindow& window, wchar_t letter)
{
    HWND focused = GetFocus();
    ASSERT_TRUE(IsChild(window.handle(), focused));
    PostMessageW(focused, WM_SYSCHAR, letter, 1 | (1u << 29));  // bit 29: Alt is down
    platform::process_pending_messages(window);
}

void wait_for_install(ui::w_main& window)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (window.installing() && std::chrono::steady_clock::now() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        platform::process_pending_messages(window);
    }
    EXPECT_FALSE(window.installing()) << "the install did not end";
}

std::vector<platform::ShownPrompt> message_boxes(const platform::ScriptedPrompts& prompts)
{
    std::vector<platform::ShownPrompt> boxes;
    for (const auto& shown : prompts.shown())
        if (shown.kind == platform::ShownPrompt::Kind::message_box) boxes.push_back(shown);
    return boxes;
}

void seed_sql_server_keys(const std::wstring& default_domain, const std::wstring& data_root)
{
    using platform::RegistryView;
    ASSERT_TRUE(platform::write_machine_string(RegistryView::bits32, L"SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer",
                                               L"DefaultDomain", default_domain).succeeded);
    ASSERT_TRUE(platform::write_machine_string(RegistryView::bits32, L"SOFTWARE\\Microsoft\\MSSQLServer\\Setup",
                                               L"SQLDataRoot", data_root).succeeded);
}

void MainWindowTest::SetUp()
{
    application_.open();
    remove_sql_server_keys();
    wchar_t buffer[MAX_PATH];
    previous_directory_.assign(buffer, GetCurrentDirectoryW(MAX_PATH, buffer));
    folder_.assign(buffer, GetTempPathW(MAX_PATH, buffer));
    folder_ += L"korvena-gui-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder_.c_str(), nullptr);
    ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
}

void MainWindowTest::TearDown()
{
    window_.reset();
    SetCurrentDirectoryW(previous_directory_.c_str());
    DeleteFileW((folder_ + L"\\dbinstall.ini").c_str());
    RemoveDirectoryW(folder_.c_str());
    remove_sql_server_keys();
}

void MainWindowTest::open_window()
{
    window_ = std::make_unique<ui::w_main>(application_, prompts_);
    ASSERT_TRUE(window_->create(nullptr));
}

}  // namespace gui_test
