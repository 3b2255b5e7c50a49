// w_main as built: caption, size, the 24 controls in list order with their
// texts, what the narrowed width leaves visible, masking, the radio group, and
// which controls keep the visual styles of Common Controls 6.
#include "gui_test_support.h"

#include "main_window/main_window_form.h"
#include "platform/layout_units.h"
#include "platform/modal_loop.h"

#include <uxtheme.h>

namespace {

using gui_test::MainWindowTest;
using namespace ui;

std::wstring class_of(HWND window)
{
    wchar_t name[64];
    return std::wstring(name, GetClassNameW(window, name, 64));
}

TEST_F(MainWindowTest, OpensWithTheApplicationsCaptionNarrowedTo3131Units)
{
    gui_test::seed_sql_server_keys(L"KORVENA", L"C:\\SQL");
    open_window();
    EXPECT_EQ(gui_test::window_text(handle()), L"Korvena");
    EXPECT_EQ(class_of(handle()), L"Korvena.w_main");
    RECT client;
    GetClientRect(handle(), &client);
    EXPECT_EQ(client.right, platform::units_to_pixels(3131, platform::Direction::horizontal));
    EXPECT_EQ(client.bottom, platform::units_to_pixels(1728, platform::Direction::vertical));
    RECT frame;
    GetWindowRect(handle(), &frame);
    EXPECT_NEAR(frame.left, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2, 1) << "centred";
    const LONG style = GetWindowLongW(handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU) << "close box";
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
}

TEST_F(MainWindowTest, Holds24ControlsInListOrderWithTheirTexts)
{
    gui_test::seed_sql_server_keys(L"KORVENA", L"C:\\SQL");
    open_window();
    struct Expected {
        int id;
        const wchar_t* window_class;
        const wchar_t* text;  // nullptr: filled by wf_init
    };
    const Expected expected[] = {
        {cb_3, L"Button", L"..."}, {rb_3, L"Button", L"连锁分部"}, {rb_2, L"Button", L"连锁总部"},
        {rb_1, L"Button", L"单店"}, {st_8, L"Static", L"Korvena"}, {st_7, L"Static", L""},
        {mle_1, L"Edit", L"none"}, {st_info, L"Static", L""}, {cb_selectfile, L"Button", L"..."},
        {sle_sqlserver, L"ComboBox", nullptr}, {sle_sqldbpath, L"Edit", nullptr}, {sle_sourcedb, L"Edit", nullptr},
        {sle_sa, L"Edit", L"sa"}, {sle_password, L"Edit", L""}, {st_6, L"Static", L"密码："},
        {st_5, L"Static", L"系统管理员："}, {st_3, L"Static", L"模板数据库文件："},
        {st_2, L"Static", L"软件数据安装路径："}, {st_4, L"Static", L"服务器名称或IP："},
        {cb_2, L"Button", L"退出(&E)"}, {cb_1, L"Button", L"安装(&I)"},
        {cbx_windows_auth, L"Button", L"Windows 身份验证(&W)"}, {gb_1, L"Button", L""}, {gb_2, L"Button", L""},
    };
    // The child list runs from the top of the z-order down: list order, but
    // the frames lie behind every control, the ones listed after them too.
    HWND child = GetWindow(handle(), GW_CHILD);
    for (const Expected& control : expected) {
        ASSERT_NE(child, nullptr) << "missing control " << control.id;
        EXPECT_EQ(GetDlgCtrlID(child), control.id);
        EXPECT_EQ(_wcsicmp(class_of(child).c_str(), control.window_class), 0) << control.id;
        if (control.text) {
            EXPECT_EQ(gui_test::window_text(child), control.text) << control.id;
        }
        EXPECT_TRUE(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) << control.id;
        EXPECT_TRUE(IsWindowEnabled(child)) << control.id;
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more than 24 controls";
    EXPECT_EQ(GetWindowLongW(GetDlgItem(handle(), st_8), GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
    EXPECT_EQ(GetWindowLongW(GetDlgItem(handle(), st_4), GWL_STYLE) & SS_TYPEMASK, SS_RIGHT);
}

TEST_F(MainWindowTest, TheNarrowedWindowHidesOnlyTheLog)
{
    gui_test::seed_sql_server_keys(L"KORVENA", L"C:\\SQL");
    open_window();
    RECT client;
    GetClientRect(handle(), &client);
    for (const auto& control : main_window_form().controls) {
        RECT rect;
        GetWindowRect(GetDlgItem(handle(), control.id), &rect);
        MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&rect), 2);
        if (control.id == mle_1) {
            EXPECT_GE(rect.left, client.right) << "the log must lie wholly outside";
        } else {
            EXPECT_LE(rect.right, client.right) << std::wstring(control.name);
        }
    }
}

TEST_F(MainWindowTest, TheServerListAndTheAuthenticationBoxFitTheFieldsRows)
{
    gui_test::seed_sql_server_keys(L"KORVENA", L"C:\\SQL");
    open_window();
    const auto rect_of = [this](int id) {
        RECT rect;
        GetWindowRect(GetDlgItem(handle(), id), &rect);
        return rect;
    };
    // Closed, the combo box is as tall as the edits it lines up with.
    const RECT server = rect_of(sle_sqlserver);
    const RECT data_path = rect_of(sle_sqldbpath);
    EXPECT_EQ(server.bottom - server.top, data_path.bottom - data_path.top);

    const RECT box = rect_of(cbx_windows_auth);
    RECT overlap;
    for (int id : {sle_sa, sle_password}) {
        const RECT field = rect_of(id);
        EXPECT_FALSE(IntersectRect(&overlap, &box, &field)) << id;
    }
    EXPECT_LE(box.right, server.right);
    // The label whole, beside its check mark, at this display's scaling.
    HWND check_box = GetDlgItem(handle(), cbx_windows_auth);
    HDC dc = GetDC(check_box);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(check_box, WM_GETFONT, 0, 0)));
    RECT label{};
    DrawTextW(dc, L"Windows 身份验证(&W)", -1, &label, DT_CALCRECT | DT_SINGLELINE);
    ReleaseDC(check_box, dc);
    EXPECT_LE(label.right + GetSystemMetrics(SM_CXMENUCHECK) + 4, box.right - box.left);
    EXPECT_LE(label.bottom, box.bottom - box.top);
}

TEST_F(MainWindowTest, OnlyThePasswordIsMaskedAndOneStoreModeIsChecked)
{
    gui_test::seed_sql_server_keys(L"KORVENA", L"C:\\SQL");
    open_window();
    for (int id : {sle_sqlserver, sle_sqldbpath, sle_sourcedb, sle_sa, sle_password}) {
        HWND edit = GetDlgItem(handle(), id);
        const bool masked = (GetWindowLongW(edit, GWL_STYLE) & ES_PASSWORD) && SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0);
        EXPECT_EQ(masked, id == sle_password) << id;
    }

    struct Step {
        int click;
        install::StoreMode mode;
    };
    EXPECT_EQ(window_->store_mode(), install::StoreMode::single_store);
    for (const Step& step : {Step{rb_2, install::StoreMode::chain_headquarters}, Step{rb_3, install::StoreMode::chain_branch},
                             Step{rb_1, install::StoreMode::single_store}}) {
        gui_test::click(*window_, step.click);
        for (int id : {rb_1, rb_2, rb_3})
            EXPECT_EQ(IsDlgButtonChecked(handle(), id) == BST_CHECKED, id == step.click) << id;
        EXPECT_EQ(window_->store_mode(), step.mode);
    }
}

TEST_F(MainWindowTest, ColouredRadioButtonsAndGroupBoxesAreDrawnWithoutTheTheme)
{
    gui_test::seed_sql_server_keys(L"KORVENA", L"C:\\SQL");
    open_window();
    platform::process_pending_messages(*window_);  // the theme changes arrive as messages
    // A themed radio button, check box or group box would draw its text in
    // the theme's colour, not the form's.
    for (int id : {rb_1, rb_2, rb_3, cbx_windows_auth, gb_1, gb_2}) EXPECT_EQ(GetWindowTheme(GetDlgItem(handle(), id)), nullptr) << id;
    if (!IsThemeActive()) GTEST_SKIP() << "no visual style is active in this prefix";
    for (int id : {cb_1, cb_2, sle_sqlserver}) EXPECT_NE(GetWindowTheme(GetDlgItem(handle(), id)), nullptr) << id;
}

}  // namespace
