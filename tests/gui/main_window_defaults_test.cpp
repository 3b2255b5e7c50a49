// wf_init's defaults with SQL Server's keys really present, or not, in the
// registry of the throw-away prefix.
#include "gui_test_support.h"

#include "main_window/main_window_form.h"

namespace {

using gui_test::control_text;
using gui_test::MainWindowTest;
using namespace ui;

const std::wstring not_found_notice = L"在本台机器上找不到MSS SQL Server, \r\n运行此程序需要安装MSS SQL Server。";

std::wstring machine_name()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    GetComputerNameW(name, &length);
    return std::wstring(name, length);
}

TEST_F(MainWindowTest, WithoutSqlServerOneNoticeAndEveryFieldFilled)
{
    open_window();
    const auto boxes = gui_test::message_boxes(prompts_);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, L"提示");
    EXPECT_EQ(boxes[0].text, not_found_notice);
    EXPECT_EQ(prompts_.shown().size(), 1u);

    EXPECT_FALSE(machine_name().empty());
    EXPECT_EQ(control_text(handle(), sle_sqlserver), machine_name());
    EXPECT_EQ(control_text(handle(), sle_sqldbpath), L"D:\\data");
    EXPECT_EQ(control_text(handle(), sle_sourcedb), folder_ + L"\\mirvox.dat");
    EXPECT_EQ(control_text(handle(), sle_sa), L"sa");
    EXPECT_EQ(control_text(handle(), sle_password), L"");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(handle(), cb_1)));
}

TEST_F(MainWindowTest, RegistryValuesDecideTheNoticeAndTheDataPath)
{
    struct Row {
        const wchar_t* default_domain;
        const wchar_t* data_root;
        bool notice;
        const wchar_t* data_path;
    };
    const Row rows[] = {
        {L"KORVENA", L"C:\\Program Files\\SQL", false, L"C:\\Program Files\\SQL\\data"},
        {L"   ", L"C:\\SQL", true, L"C:\\SQL\\data"},                         // spaces only: not found
        {L"\tKORVENA", L"E:\\SQL\\", false, L"E:\\SQL\\\\data"},              // a tab is not a space; no normalising
        {L"KORVENA", L"\\\\server\\share\\SQL", false, L"D:\\data"},          // UNC: no drive colon
        {L"KORVENA", L"", false, L"D:\\data"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << std::wstring(row.data_root));
        gui_test::seed_sql_server_keys(row.default_domain, row.data_root);
        prompts_.clear_shown();
        open_window();
        EXPECT_EQ(gui_test::message_boxes(prompts_).size(), row.notice ? 1u : 0u);
        EXPECT_EQ(control_text(handle(), sle_sqldbpath), row.data_path);
        EXPECT_EQ(control_text(handle(), sle_sqlserver), machine_name());
    }
}

TEST_F(MainWindowTest, TemplateDefaultFollowsWorkingDirectoryAndSettings)
{
    gui_test::seed_sql_server_keys(L"KORVENA", L"C:\\SQL");
    HANDLE ini = CreateFileW(L"dbinstall.ini", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const char settings[] = "[database]\r\ndatabasename=\xC3\xC5\xB5\xEA\r\n";  // 门店 in GBK
    DWORD written = 0;
    WriteFile(ini, settings, sizeof(settings) - 1, &written, nullptr);
    CloseHandle(ini);
    open_window();
    EXPECT_EQ(control_text(handle(), sle_sourcedb), folder_ + L"\\门店.dat");

    DeleteFileW(L"dbinstall.ini");
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
    open_window();
    EXPECT_EQ(control_text(handle(), sle_sourcedb), L"C:\\\\mirvox.dat") << "the root's own separator, then the inserted one";
}

}  // namespace
