// A store-mode delete that the server refuses ends the install: the insert
// must not run and add a second Is_Distributed row behind a success report,
// and what the run made is taken away again. The stand-in for this file
// fails every delete from t_sys_system.
#include "server_fixture.h"

namespace {

using install::InstallOutcome;
using install_test::InstallOnServer;

TEST_F(InstallOnServer, RefusedStoreModeDeleteUndoesTheInstall)
{
    EXPECT_EQ(install(), InstallOutcome::statement_failed);

    const std::wstring prefix = L"装载系统模板数据库...    安装失败:";
    ASSERT_TRUE(form.status.starts_with(prefix)) << testing::PrintToString(form.status);
    ASSERT_TRUE(form.status.ends_with(L"    已撤销本次安装的更改。")) << testing::PrintToString(form.status);
    const std::wstring failure = form.log.substr(form.log.find(prefix));
    const std::wstring error = failure.substr(prefix.size(), failure.find(L"\r\n") - prefix.size());
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(form.log.ends_with(L"创建系统用户信息...\r\n设置连锁模式\r\n" + prefix + error + L"\r\n" + error +
                                   L"\r\n恢复安装前的状态...\r\n删除本次安装建立的数据库 mirvox\r\n"
                                   L"删除本次安装建立的登录名 mirvox\r\n已恢复安装前的状态。\r\n"))
        << testing::PrintToString(form.log);
    ASSERT_EQ(prompts.shown().size(), 1u);
    EXPECT_EQ(prompts.shown()[0].text, L"安装新数据库失败。\r\n本次安装在数据库服务器上所做的更改已经撤销。");
    EXPECT_EQ(install_test::select_as_sa(L"master", L"select count(*) from master.dbo.sysdatabases where name =?",
                                         {L"mirvox"}),
              L"0");
    EXPECT_EQ(install_test::select_as_sa(L"master", L"select count(*) from master.dbo.syslogins where name =?",
                                         {L"mirvox"}),
              L"0");
    EXPECT_FALSE(install_test::file_exists(form.data + L"\\mirvox_Data.MDF"));
}

}  // namespace
