// Installs onto a server that already holds a database of the configured
// name: the confirmation, the in-use check and the drops.
#include "server_fixture.h"

namespace {

using install::InstallOutcome;
using install_test::select_as_sa;

class OldDatabase : public install_test::InstallOnServer {
protected:
    // An earlier install: the database in the data folder and, unless told
    // otherwise, its login.
    void make_old_install(bool with_login = true)
    {
        std::vector<std::wstring> statements = {
            L"CREATE DATABASE mirvox ON PRIMARY (NAME = N'mirvox_Data', FILENAME = N'" + form.data +
            L"\\mirvox_Data.MDF', SIZE = 1) LOG ON (NAME = N'mirvox_Log', FILENAME = N'" + form.data +
            L"\\mirvox_Log.LDF', SIZE = 1)"};
        if (with_login)
            statements.push_back(L"dbo.sp_addlogin 'mirvox','rovtakl',mirvox");
        install_test::run_as_sa(statements);
    }

    bool database_exists()
    {
        return select_as_sa(L"master", L"select name from master.dbo.sysdatabases where name =?", {L"mirvox"}) ==
               L"mirvox";
    }

    void expect_one_warning(const std::wstring& text)
    {
        ASSERT_EQ(prompts.shown().size(), 1u);
        EXPECT_EQ(prompts.shown()[0].title, L"警告");
        EXPECT_EQ(prompts.shown()[0].text, text);
    }

    const std::wstring log_up_to_detection =
        L"none开始安装系统数据库...\r\n正在连接数据库服务器...\r\n连接数据库成功\r\n检测旧数据库及相关信息...\r\n";
};

TEST_F(OldDatabase, ConfirmedReplacesItWithTwoMorePhasesLogged)
{
    make_old_install();
    form.confirm_answers = {L"1"};

    ASSERT_EQ(install(), InstallOutcome::completed) << testing::PrintToString(form.status);

    EXPECT_EQ(form.reinstall_confirmations, 1);
    std::wstring expected = install_test::fresh_install_log;
    const std::wstring detection = L"检测旧数据库及相关信息...\r\n";
    expected.insert(expected.find(detection) + detection.size(),
                    L"检测旧数据库是否正在使用中...\r\n删除旧数据库及相关信息...\r\n");
    EXPECT_EQ(form.log, expected);
    EXPECT_EQ(select_as_sa(L"mirvox", L"select count(*) from t_sys_system where sys_var_id =?", {L"Is_Distributed"}),
              L"1");
}

TEST_F(OldDatabase, DeclinedEndsSilentlyWithNothingChanged)
{
    make_old_install();
    form.confirm_answers = {L"0"};

    EXPECT_EQ(install(), InstallOutcome::declined);

    EXPECT_EQ(form.reinstall_confirmations, 1);
    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_EQ(form.log, log_up_to_detection);
    EXPECT_FALSE(sqlca.connected());
    EXPECT_TRUE(database_exists());
    EXPECT_TRUE(install_test::file_exists(form.data + L"\\mirvox_Data.MDF"));
}

TEST_F(OldDatabase, InUseByTheApplicationLoginStopsBeforeAnyDrop)
{
    make_old_install();
    platform::Transaction application_client;
    install_test::connect(application_client, L"mirvox", L"rovtakl");
    application_client.execute_immediate(L"use mirvox");
    ASSERT_EQ(application_client.status_code(), 0) << testing::PrintToString(application_client.error_text());
    form.confirm_answers = {L"1"};

    EXPECT_EQ(install(), InstallOutcome::old_database_in_use);

    expect_one_warning(L"旧数据库正在被使用，请让所有用户退出应用系统，然后继续此操作。");
    EXPECT_EQ(form.status, L"旧数据库正在被使用，不能安装新数据库。");
    EXPECT_EQ(form.log, log_up_to_detection + L"检测旧数据库是否正在使用中...\r\n旧数据库正在被使用，不能安装新数据库。\r\n");
    EXPECT_FALSE(sqlca.connected());
    EXPECT_TRUE(database_exists());
}

TEST_F(OldDatabase, InUseByAnotherLoginIsNotCountedAndTheRefusedDropFails)
{
    make_old_install();
    platform::Transaction administrator_client;
    install_test::connect(administrator_client, L"sa", install_test::sa_password());
    administrator_client.execute_immediate(L"use mirvox");
    form.confirm_answers = {L"1"};

    EXPECT_EQ(install(), InstallOutcome::statement_failed);

    const std::wstring error = L"Cannot drop database \"mirvox\" because it is currently in use.";
    EXPECT_EQ(form.status, L"删除旧数据库及相关信息失败！" + error + L"    安装失败:" + error);
    EXPECT_EQ(form.log, log_up_to_detection + L"检测旧数据库是否正在使用中...\r\n删除旧数据库及相关信息...\r\n" +
                            form.status + L"\r\n" + error + L"\r\n");
    expect_one_warning(L"安装新数据库失败。");
    EXPECT_TRUE(database_exists());
}

TEST_F(OldDatabase, RefusedLoginDropFailsAfterTheDatabaseIsGone)
{
    make_old_install(false);
    form.confirm_answers = {L"1"};

    EXPECT_EQ(install(), InstallOutcome::statement_failed);

    const std::wstring error = L"'mirvox' is not a valid login or you do not have permission.";
    EXPECT_EQ(form.status, L"删除旧数据库及相关信息失败！" + error + L"    安装失败:" + error);
    EXPECT_FALSE(database_exists());
    EXPECT_FALSE(sqlca.connected());
}

}  // namespace
