// w_main on a computer with several SQL Server instances, registered in the
// prefix's registry as SQL Server does: the server field's list, what
// picking an instance changes and what typing does not, and the
// Windows-authentication check box.
#include "gui_test_support.h"

#include "main_window/main_window_form.h"
#include "platform/modal_loop.h"

#include <algorithm>
#include <set>

namespace {

using gui_test::control_text;
using namespace ui;
using platform::RegistryView;

struct SeededInstance {
    test_support::Instance keys;
    std::wstring data_path;  // what the data path field shows once it is picked
    bool windows_authentication_only() const { return keys.login_mode == 1; }
};

// Express is the one the window names first: there is no default instance.
const SeededInstance seeded[] = {
    {{RegistryView::bits64, L"SQLEXPRESS", L"MSSQL16.SQLEXPRESS", L"C:\\Express", 1, 1, L"", L"0"}, L"C:\\Express\\data"},
    {{RegistryView::bits64, L"POS", L"MSSQL15.POS", L"E:\\POS", 2, 1, L"1500", L""}, L"E:\\POS\\data"},
    {{RegistryView::bits32, L"BACKOFFICE", L"MSSQL12.BACKOFFICE", L"", 1, 0, L"", L"0"}, L"D:\\data"},
};

std::wstring computer_name()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(name, &length);
    return std::wstring(name, length);
}

class InstancesTest : public gui_test::MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        for (const SeededInstance& instance : seeded) ASSERT_NO_FATAL_FAILURE(test_support::register_instance(instance.keys));
        open_window();
        window_->show();
    }

    HWND server_field() const { return GetDlgItem(handle(), sle_sqlserver); }
    std::wstring field_text_of(const SeededInstance& instance) const { return computer_ + L"\\" + instance.keys.name; }

    std::vector<std::wstring> listed() const
    {
        std::vector<std::wstring> choices;
        const LRESULT count = SendMessageW(server_field(), CB_GETCOUNT, 0, 0);
        for (LRESULT index = 0; index < count; ++index) {
            std::wstring choice(size_t(SendMessageW(server_field(), CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
            choice.resize(size_t(SendMessageW(server_field(), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(choice.data()))));
            choices.push_back(choice);
        }
        return choices;
    }

    // The operator's keystrokes in the server field, as a keyboard sends them.
    void type_into_server_field(const std::wstring& text)
    {
        SetFocus(server_field());
        HWND field = GetFocus();
        SendMessageW(field, EM_SETSEL, 0, -1);
        for (wchar_t c : text) PostMessageW(field, WM_CHAR, c, 1);
        platform::process_pending_messages(*window_);
    }

    void expect_authentication(bool windows)
    {
        EXPECT_EQ(IsDlgButtonChecked(handle(), cbx_windows_auth) == BST_CHECKED, windows);
        EXPECT_EQ(window_->windows_authentication(), windows);
        // Windows authentication sends neither, so neither can be typed.
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(handle(), sle_sa)) != FALSE, !windows);
        EXPECT_EQ(IsWindowEnabled(GetDlgItem(handle(), sle_password)) != FALSE, !windows);
    }

    const std::wstring computer_ = computer_name();
};

TEST_F(InstancesTest, TheListOffersEveryInstanceAndAPickBringsItsDataPathAndAuthentication)
{
    std::vector<std::wstring> expected;
    for (const SeededInstance& instance : seeded) expected.push_back(field_text_of(instance));
    std::vector<std::wstring> shown = listed();
    std::sort(shown.begin(), shown.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(shown, expected);
    EXPECT_TRUE(gui_test::message_boxes(prompts_).empty()) << "no \"not found\" notice";

    EXPECT_EQ(window_->server_name(), field_text_of(seeded[0]));
    EXPECT_EQ(control_text(handle(), sle_sqldbpath), seeded[0].data_path);
    expect_authentication(true);

    // Up to the top of the list, then down to its end: every instance is
    // picked once on the way, each bringing its own settings.
    std::vector<WPARAM> keys(std::size(seeded), VK_UP);
    keys.insert(keys.end(), std::size(seeded), VK_DOWN);
    std::set<std::wstring> picked;
    for (WPARAM key : keys) {
        gui_test::press_key(*window_, sle_sqlserver, key);
        const std::wstring server = window_->server_name();
        const auto instance = std::find_if(std::begin(seeded), std::end(seeded),
                                           [&](const SeededInstance& candidate) { return field_text_of(candidate) == server; });
        ASSERT_NE(instance, std::end(seeded)) << testing::PrintToString(server);
        SCOPED_TRACE(testing::PrintToString(server));
        EXPECT_EQ(control_text(handle(), sle_sqldbpath), instance->data_path);
        expect_authentication(instance->windows_authentication_only());
        picked.insert(server);
    }
    EXPECT_EQ(picked.size(), std::size(seeded));

    // Dropped, the list shows them all without scrolling.
    SendMessageW(server_field(), CB_SHOWDROPDOWN, TRUE, 0);
    COMBOBOXINFO parts{};
    parts.cbSize = sizeof parts;
    ASSERT_TRUE(GetComboBoxInfo(server_field(), &parts));
    RECT list;
    GetClientRect(parts.hwndList, &list);
    EXPECT_GE(list.bottom, LONG(std::size(seeded)) * LONG(SendMessageW(parts.hwndList, LB_GETITEMHEIGHT, 0, 0)));
    SendMessageW(server_field(), CB_SHOWDROPDOWN, FALSE, 0);
}

TEST_F(InstancesTest, TypingKeepsTheTextAndChangesNothingElse)
{
    // Even the name of a listed instance, typed, is not a pick.
    for (const std::wstring& typed : {field_text_of(seeded[1]), std::wstring(L"SHOP99\\POS,1500")}) {
        SCOPED_TRACE(testing::PrintToString(typed));
        type_into_server_field(typed);
        EXPECT_EQ(window_->server_name(), typed);
        EXPECT_EQ(control_text(handle(), sle_sqldbpath), seeded[0].data_path);
        expect_authentication(true);
    }
}

TEST_F(InstancesTest, TheCheckBoxSaysWhichAuthenticationAndGreysTheLoginFields)
{
    gui_test::click(*window_, cbx_windows_auth);
    expect_authentication(false);
    gui_test::set_control_text(handle(), sle_password, L"secret");
    gui_test::click(*window_, cbx_windows_auth);
    expect_authentication(true);
    EXPECT_EQ(window_->admin_login(), L"sa") << "what was typed stays for when it is cleared again";
    EXPECT_EQ(window_->admin_password(), L"secret");
}

}  // namespace
