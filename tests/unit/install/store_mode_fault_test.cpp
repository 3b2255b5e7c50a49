// A store-mode delete that the server refuses ends the install: the insert
// must not run and add a second Is_Distributed row behind a success report.
// The stand-in for this file fails every delete from t_sys_system.
#include "server_fixture.h"

namespace {

using install::InstallOutcome;
using install_test::InstallOnServer;

TEST_F(InstallOnServer, RefusedStoreModeDeleteTakesTheFailurePath)
{
    EXPECT_EQ(install(), InstallOutcome::statement_failed);

    const std::wstring prefix = L"装载系统模板数据库...    安装失败:";
    ASSERT_TRUE(form.status.starts_with(prefix)) << testing::PrintToString(form.status);
    const std::wstring error = form.status.substr(prefix.size());
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(form.log.ends_with(L"创建系统用户信息...\r\n设置连锁模式\r\n" + form.status + L"\r\n" + error + L"\r\n"))
        << testing::PrintToString(form.log);
    ASSERT_EQ(prompts.shown().size(), 1u);
    EXPECT_EQ(prompts.shown()[0].text, L"安装新数据库失败。");
    EXPECT_EQ(install_test::select_as_sa(L"mirvox", L"select count(*) from t_sys_system where sys_var_id =?",
                                         {L"Is_Distributed"}),
              L"2")
        << "no row was added";
}

}  // namespace
