// w_main's buttons and keys: the browse buttons, Install, Exit, the close box
// and the access keys.
#include "gui_test_support.h"

#include "main_window/main_window_form.h"
#include "platform/modal_loop.h"

namespace {

using gui_test::control_text;
using gui_test::MainWindowTest;
using platform::ShownPrompt;
using namespace ui;

class MainWindowEventsTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        gui_test::seed_sql_server_keys(L"KORVENA", L"C:\\SQL");
        open_window();
        window_->show();
        prompts_.clear_shown();
    }
};

TEST_F(MainWindowEventsTest, BrowseForTheDataPathTakesTheBareFolderAndReenablesInstall)
{
    const std::wstring before = control_text(handle(), sle_sqldbpath);
    EnableWindow(GetDlgItem(handle(), cb_1), FALSE);  // as after a completed installation

    gui_test::click(*window_, cb_3);  // cancelled
    prompts_.queue_folder(L"   ");
    gui_test::click(*window_, cb_3);  // blank
    EXPECT_EQ(control_text(handle(), sle_sqldbpath), before);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(handle(), cb_1)));

    prompts_.queue_folder(L"D:\\DB");
    gui_test::click(*window_, cb_3);
    EXPECT_EQ(control_text(handle(), sle_sqldbpath), L"D:\\DB");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(handle(), cb_1)));

    ASSERT_EQ(prompts_.shown().size(), 3u);
    for (const auto& shown : prompts_.shown()) {
        EXPECT_EQ(shown.kind, ShownPrompt::Kind::folder_browser);
        EXPECT_EQ(shown.title, L"Select Database File");
    }
}

TEST_F(MainWindowEventsTest, BrowseForTheTemplateTakesTheFullPathAndReenablesInstall)
{
    const std::wstring before = control_text(handle(), sle_sourcedb);
    EnableWindow(GetDlgItem(handle(), cb_1), FALSE);

    gui_test::click(*window_, cb_selectfile);
    prompts_.queue_file_choice({L" ", L" "});
    gui_test::click(*window_, cb_selectfile);
    EXPECT_EQ(control_text(handle(), sle_sourcedb), before);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(handle(), cb_1)));

    prompts_.queue_file_choice({L"E:\\模板\\shop.dat", L"shop.dat"});
    gui_test::click(*window_, cb_selectfile);
    EXPECT_EQ(control_text(handle(), sle_sourcedb), L"E:\\模板\\shop.dat");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(handle(), cb_1)));
    EXPECT_EQ(prompts_.shown().back().kind, ShownPrompt::Kind::file_dialog);
    EXPECT_EQ(prompts_.shown().back().title, L"Select Database File");
}

TEST_F(MainWindowEventsTest, ExitAndTheCloseBoxCloseAtOnceWhateverWasTyped)
{
    gui_test::set_control_text(handle(), sle_password, L"typed");
    gui_test::click(*window_, cb_2);
    EXPECT_FALSE(window_->is_open());
    EXPECT_TRUE(prompts_.shown().empty()) << "no confirmation";

    open_window();
    SendMessageW(handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(window_->is_open());
}

TEST_F(MainWindowEventsTest, AltEExitsAndAltIRunsTheInstallation)
{
    // The template file does not exist, so the pipeline stops at once with a
    // message: proof that it ran, without a server.
    gui_test::set_control_text(handle(), sle_sourcedb, folder_ + L"\\absent.dat");
    gui_test::press_alt(*window_, L'i');
    gui_test::wait_for_install(*window_);
    EXPECT_EQ(gui_test::message_boxes(prompts_).size(), 1u);
    EXPECT_TRUE(window_->is_open());

    gui_test::press_alt(*window_, L'e');
    EXPECT_FALSE(window_->is_open());
}

TEST_F(MainWindowEventsTest, TabWalksTheFieldsThenInstallBeforeExit)
{
    const int expected[] = {sle_sqlserver, sle_sqldbpath, sle_sourcedb, sle_sa, sle_password, cbx_windows_auth, cb_1,
                            cb_2, mle_1, cb_selectfile, cb_3, sle_sqlserver};
    EXPECT_EQ(gui_test::focused_control(handle()), sle_sqlserver) << "first in the tab order has the focus";
    for (size_t step = 1; step < std::size(expected); ++step) {
        gui_test::press_key(*window_, gui_test::focused_control(handle()), VK_TAB);
        EXPECT_EQ(gui_test::focused_control(handle()), expected[step]) << "step " << step;
    }
}

}  // namespace
