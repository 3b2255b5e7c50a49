// Runs that end early or fail on the way: what the operator is told, what
// the log holds, and that nothing after the stop was done.
#include "server_fixture.h"

#include <windows.h>

namespace {

using install::InstallOutcome;
using install_test::InstallOnServer;

const std::wstring log_up_to_connection = L"none开始安装系统数据库...\r\n正在连接数据库服务器...\r\n";

void expect_only_prompt(const platform::ScriptedPrompts& prompts, const std::wstring& title, const std::wstring& text)
{
    ASSERT_EQ(prompts.shown().size(), 1u);
    EXPECT_EQ(prompts.shown()[0].title, title);
    EXPECT_EQ(prompts.shown()[0].text, text);
}

TEST_F(InstallOnServer, MissingTemplateStopsBeforeAnythingIsLogged)
{
    form.template_path = work_folder + L"\\absent.bak";

    EXPECT_EQ(install(), InstallOutcome::template_missing);
    expect_only_prompt(prompts, L"提示", L"请选择数据库文件");
    EXPECT_EQ(form.log, L"none");
    EXPECT_FALSE(sqlca.connected());
}

TEST_F(InstallOnServer, NameThatIsNotAnIdentifierIsRefusedBeforeAnyConnection)
{
    settings.is_dbname = L"mirvox;drop database master";
    EXPECT_EQ(install(), InstallOutcome::name_refused);
    expect_only_prompt(prompts, L"警告",
                       L"dbinstall.ini 中 [database] 的 databasename 值“mirvox;drop database master”不是有效的数据库名称。");
    EXPECT_EQ(form.log, L"none");
    EXPECT_FALSE(sqlca.connected());

    prompts.clear_shown();
    settings.is_dbname = L"门店库";
    settings.is_logid = L"1user";
    EXPECT_EQ(install(), InstallOutcome::name_refused);
    expect_only_prompt(prompts, L"警告", L"dbinstall.ini 中 [database] 的 logid 值“1user”不是有效的登录名。");
    EXPECT_EQ(install_test::select_as_sa(L"master", L"select count(*) from master.dbo.sysdatabases where name =?",
                                         {L"门店库"}),
              L"0");
}

TEST_F(InstallOnServer, RefusedConnectionShowsTheDriversText)
{
    form.server = L"127.0.0.1,1";

    EXPECT_EQ(install(), InstallOutcome::connection_failed);
    ASSERT_EQ(prompts.shown().size(), 1u);
    EXPECT_EQ(prompts.shown()[0].title, L"Korvena");
    const std::wstring& text = prompts.shown()[0].text;
    const std::wstring lead = L"不能连接到数据库。";
    ASSERT_TRUE(text.starts_with(lead)) << testing::PrintToString(text);
    EXPECT_GT(text.size(), lead.size()) << "the driver's own words follow";
    EXPECT_EQ(text.find(L'['), std::wstring::npos) << testing::PrintToString(text);
    EXPECT_EQ(form.log, log_up_to_connection);
}

TEST_F(InstallOnServer, WrongPasswordShowsTheServersText)
{
    form.password = install_test::sa_password() + L"x";

    EXPECT_EQ(install(), InstallOutcome::login_refused);
    expect_only_prompt(prompts, L"Korvena", L"不能连接到数据库。Login failed for user 'sa'.");
    EXPECT_EQ(form.log, log_up_to_connection);
    EXPECT_EQ(form.status, L"正在连接数据库服务器...");
}

TEST_F(InstallOnServer, LeftoverLoginWithoutItsDatabaseIsReplaced)
{
    install_test::run_as_sa({L"dbo.sp_addlogin 'mirvox','other'"});

    EXPECT_EQ(install(), InstallOutcome::completed) << testing::PrintToString(form.log);

    EXPECT_EQ(form.log, install_test::fresh_install_log);
    EXPECT_EQ(install_test::select_as_sa(L"master", L"select dbname from master.dbo.syslogins where name =?",
                                         {L"mirvox"}),
              L"mirvox");
    platform::Transaction application;
    install_test::connect(application, L"mirvox", L"rovtakl");
}

TEST_F(InstallOnServer, StagingFileChosenAsTheTemplateIsRefusedAndKept)
{
    ASSERT_TRUE(CopyFileW(form.template_path.c_str(), install_test::staging_path.c_str(), FALSE));
    form.template_path = L"C:\\ZQ.TMP";

    EXPECT_EQ(install(), InstallOutcome::refused);

    ASSERT_EQ(prompts.shown().size(), 1u);
    EXPECT_EQ(prompts.shown()[0].title, L"警告");
    EXPECT_TRUE(prompts.shown()[0].text.starts_with(L"模板数据库文件不能是“c:\\zq.tmp”"))
        << testing::PrintToString(prompts.shown()[0].text);
    EXPECT_TRUE(install_test::file_exists(install_test::staging_path)) << "the operator's own file stays";
    EXPECT_FALSE(sqlca.connected());
}

}  // namespace
