// w_main while an install runs beside it: a server that takes the connection
// and never answers keeps the install waiting, and the window meanwhile.
// Winsock's header must come before windows.h, which the others bring.
#include <winsock2.h>

#include "gui_test_support.h"

#include "main_window/main_window_form.h"
#include "platform/modal_loop.h"

#include <filesystem>
#include <fstream>

namespace {

using gui_test::control_text;
using namespace ui;

class InstallRunTest : public gui_test::MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        gui_test::seed_sql_server_keys(L"KORVENA", L"C:\\SQL");
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
        // Connections queue up, unanswered, until the socket closes.
        silent_server_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(bind(silent_server_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(listen(silent_server_, 4), 0);
        int length = sizeof address;
        getsockname(silent_server_, reinterpret_cast<sockaddr*>(&address), &length);

        open_window();
        window_->show();
        std::ofstream(std::filesystem::path(folder_) / "template.dat") << "a template";
        gui_test::set_control_text(handle(), sle_sqlserver, L"127.0.0.1," + std::to_wstring(ntohs(address.sin_port)));
        gui_test::set_control_text(handle(), sle_sourcedb, folder_ + L"\\template.dat");
        gui_test::set_control_text(handle(), sle_password, L"secret");
        prompts_.clear_shown();
    }

    void TearDown() override
    {
        close_server();
        if (window_)
            gui_test::wait_for_install(*window_);
        DeleteFileW((folder_ + L"\\template.dat").c_str());
        WSACleanup();
        MainWindowTest::TearDown();
    }

    void close_server()
    {
        if (silent_server_ != INVALID_SOCKET)
            closesocket(silent_server_);
        silent_server_ = INVALID_SOCKET;
    }

    bool read_only(int id) const { return (GetWindowLongW(GetDlgItem(handle(), id), GWL_STYLE) & ES_READONLY) != 0; }
    bool enabled(int id) const { return IsWindowEnabled(GetDlgItem(handle(), id)) != FALSE; }

    SOCKET silent_server_ = INVALID_SOCKET;
};

TEST_F(InstallRunTest, WhileItRunsTheWindowAnswersKeepsItsFieldsAndRefusesToClose)
{
    gui_test::click(*window_, cb_1);

    ASSERT_TRUE(window_->installing());
    for (int id : {cb_1, cb_2, cb_3, cb_selectfile, rb_1, rb_2, rb_3, sle_sqlserver, cbx_windows_auth})
        EXPECT_FALSE(enabled(id)) << id;
    for (int id : {sle_sqldbpath, sle_sourcedb, sle_sa, sle_password})
        EXPECT_TRUE(read_only(id)) << id;
    EXPECT_EQ(control_text(handle(), st_info), L"正在连接数据库服务器...");

    // Another program's WM_CLOSE and the session's end are both refused.
    SendMessageW(handle(), WM_CLOSE, 0, 0);
    platform::process_pending_messages(*window_);
    EXPECT_TRUE(window_->is_open());
    EXPECT_TRUE(window_->installing());
    ASSERT_EQ(gui_test::message_boxes(prompts_).size(), 1u);
    EXPECT_EQ(gui_test::message_boxes(prompts_)[0].text, L"正在安装数据库，请等安装结束后再关闭窗口。");
    EXPECT_EQ(SendMessageW(handle(), WM_QUERYENDSESSION, 0, 0), FALSE);

    close_server();
    gui_test::wait_for_install(*window_);

    // The refused connection was told; the window is the operator's again.
    const auto boxes = gui_test::message_boxes(prompts_);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[1].text.starts_with(L"不能连接到数据库。")) << testing::PrintToString(boxes[1].text);
    for (int id : {cb_1, cb_2, cb_3, cb_selectfile, rb_1, rb_2, rb_3, sle_sqlserver, cbx_windows_auth, sle_sa, sle_password})
        EXPECT_TRUE(enabled(id)) << id;
    for (int id : {sle_sqldbpath, sle_sourcedb, sle_sa, sle_password})
        EXPECT_FALSE(read_only(id)) << id;
    EXPECT_EQ(SendMessageW(handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageW(handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(window_->is_open());
}

}  // namespace
