// Whole installs onto a fresh stand-in, checked on the form, in the prompts,
// on the server through a second client, in the prefix's files and registry.
#include "server_fixture.h"

#include "platform/registry.h"

#include <windows.h>


namespace {

using install::InstallOutcome;
using install::StoreMode;
using install_test::InstallOnServer;
using install_test::select_as_sa;

const std::wstring alias_key = L"SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo";

struct StoreModeRow {
    const char* label;
    StoreMode mode;
    std::wstring name;
    std::wstring value;
};

void PrintTo(const StoreModeRow& row, std::ostream* out)
{
    *out << row.label;
}

class FreshInstall : public InstallOnServer, public ::testing::WithParamInterface<StoreModeRow> {};

TEST_P(FreshInstall, CompletesWithEveryPhaseLoggedAndTheServerPrepared)
{
    form.mode = GetParam().mode;

    ASSERT_EQ(install(), InstallOutcome::completed);

    EXPECT_EQ(form.log, install_test::fresh_install_log);
    EXPECT_EQ(form.status, L"安装新数据库成功！");
    // The server reads the template where it lies, so no copy reports a
    // share: only the restore, each tenth.
    EXPECT_EQ(form.progress, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
    EXPECT_FALSE(form.install_enabled);
    EXPECT_EQ(form.reinstall_confirmations, 0);
    ASSERT_EQ(prompts.shown().size(), 1u);
    EXPECT_EQ(prompts.shown()[0].title, L"Korvena");
    EXPECT_EQ(prompts.shown()[0].text, L"安装新数据库成功！");
    EXPECT_FALSE(sqlca.connected());

    // The stand-in listens on a port of its own, which the alias names in both views.
    const std::wstring port = install_test::test_server().substr(install_test::test_server().find(L',') + 1);
    for (const auto view : {platform::RegistryView::bits32, platform::RegistryView::bits64})
        EXPECT_EQ(platform::read_machine_string(view, alias_key, L"mirvox"), L"DBMSSOCN,127.0.0.1," + port);
    EXPECT_FALSE(install_test::file_exists(install_test::staging_path));
    EXPECT_TRUE(install_test::file_exists(form.data + L"\\mirvox_Data.MDF"));
    EXPECT_TRUE(install_test::file_exists(form.data + L"\\mirvox_Log.LDF"));

    EXPECT_EQ(select_as_sa(L"master", L"select dbname from master.dbo.syslogins where name =?", {L"mirvox"}), L"mirvox");
    EXPECT_EQ(select_as_sa(L"master", L"select sysadmin from master.dbo.syslogins where name =?", {L"mirvox"}), L"1");
    auto column = [&](const std::wstring& name) {
        return select_as_sa(L"mirvox", L"select " + name + L" from t_sys_system where sys_var_id =?", {L"Is_Distributed"});
    };
    EXPECT_EQ(column(L"count(*)"), L"1") << "the template's two rows are replaced by one";
    EXPECT_EQ(column(L"sys_var_name"), GetParam().name);
    EXPECT_EQ(column(L"sys_var_value"), GetParam().value);
    EXPECT_EQ(column(L"sys_ver_flag"), L"");
    EXPECT_EQ(column(L"sys_inited"), L"1");
    EXPECT_EQ(select_as_sa(L"mirvox", L"select sys_var_name from t_sys_system where sys_var_id =?", {L"Sys_Version"}),
              L"版本")
        << "the template's other rows are restored";
}

INSTANTIATE_TEST_SUITE_P(StoreModes, FreshInstall,
                         ::testing::Values(StoreModeRow{"single_store", StoreMode::single_store, L"单店", L"0"},
                                           StoreModeRow{"chain_headquarters", StoreMode::chain_headquarters, L"总部",
                                                        L"1"},
                                           StoreModeRow{"chain_branch", StoreMode::chain_branch, L"分店/配送中心",
                                                        L"2"}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(InstallOnServer, ReadOnlyLeftoverStagingFileIsReplaced)
{
    HANDLE leftover = CreateFileW(install_test::staging_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_READONLY, nullptr);
    ASSERT_NE(leftover, INVALID_HANDLE_VALUE);
    CloseHandle(leftover);

    EXPECT_EQ(install(), InstallOutcome::completed) << testing::PrintToString(form.log);
    EXPECT_FALSE(install_test::file_exists(install_test::staging_path));
}

TEST_F(InstallOnServer, TemplateReadWhereItLiesCannotBeWrittenUntilTheRunEnds)
{
    const auto open_for_writing = [&] {
        return CreateFileW(form.template_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    std::vector<DWORD> errors_while_restoring;
    form.on_progress = [&] {
        HANDLE file = open_for_writing();
        errors_while_restoring.push_back(file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    };

    ASSERT_EQ(install(), InstallOutcome::completed) << testing::PrintToString(form.log);

    ASSERT_FALSE(errors_while_restoring.empty());
    for (const DWORD error : errors_while_restoring)
        EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    HANDLE after = open_for_writing();
    EXPECT_NE(after, INVALID_HANDLE_VALUE) << "the hold ends with the run";
    if (after != INVALID_HANDLE_VALUE)
        CloseHandle(after);
}

TEST_F(InstallOnServer, DataPathWithASingleQuoteInstalls)
{
    form.data = work_folder + L"\\O'Brien";
    ASSERT_TRUE(CreateDirectoryW(form.data.c_str(), nullptr));

    EXPECT_EQ(install(), InstallOutcome::completed) << testing::PrintToString(form.status);
    EXPECT_TRUE(install_test::file_exists(form.data + L"\\mirvox_Data.MDF"));
}

TEST_F(InstallOnServer, MissingDataPathIsRefusedBeforeTheServerChanges)
{
    form.data = work_folder + L"\\missing";

    EXPECT_EQ(install(), InstallOutcome::refused);
    const std::wstring problem = L"数据库服务器上没有文件夹“" + form.data + L"”。";
    EXPECT_EQ(form.status, L"安装前检查未通过：" + problem);
    EXPECT_EQ(form.log, L"none开始安装系统数据库...\r\n正在连接数据库服务器...\r\n连接数据库成功\r\n检查安装条件...\r\n" +
                            form.status + L"\r\n");
    ASSERT_EQ(prompts.shown().size(), 1u);
    EXPECT_EQ(prompts.shown()[0].title, L"警告");
    EXPECT_TRUE(prompts.shown()[0].text.starts_with(problem + L"\r\n")) << testing::PrintToString(prompts.shown()[0].text);
    EXPECT_TRUE(prompts.shown()[0].text.ends_with(L"\r\n数据库服务器上没有做任何更改。"));
    EXPECT_TRUE(form.install_enabled);
    EXPECT_FALSE(sqlca.connected());
    EXPECT_EQ(select_as_sa(L"master", L"select count(*) from master.dbo.sysdatabases where name =?", {L"mirvox"}), L"0");
}

}  // namespace
