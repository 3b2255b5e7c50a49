// Installs onto a server that already holds a database of the configured
// name: the confirmation, the in-use check and the drops.
#include "server_fixture.h"

#include <filesystem>

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
        // As an earlier install left it: the login a sysadmin, so it enters the database as dbo.
        if (with_login)
            statements.insert(statements.end(), {L"dbo.sp_addlogin 'mirvox','rovtakl',mirvox",
                                                 L"dbo.sp_addsrvrolemember 'mirvox', sysadmin"});
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

    // The safety backups in the data folder.
    std::vector<std::wstring> backups() const
    {
        std::vector<std::wstring> found;
        for (const auto& entry : std::filesystem::directory_iterator(form.data))
            if (entry.path().extension() == L".bak")
                found.push_back(entry.path().wstring());
        return found;
    }

    // The log lines of the safety backup, naming the one file made.
    std::wstring backup_lines() const
    {
        const auto files = backups();
        EXPECT_EQ(files.size(), 1u);
        return L"旧数据库的其他连接已断开，删除以前只有安装程序能使用它。\r\n备份旧数据库...\r\n旧数据库已备份到 " +
               (files.empty() ? L"" : files[0]) + L"\r\n";
    }

    const std::wstring log_up_to_detection =
        L"none开始安装系统数据库...\r\n正在连接数据库服务器...\r\n连接数据库成功\r\n检查安装条件...\r\n安装系统信息...\r\n"
        L"检测旧数据库及相关信息...\r\n";
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
                    L"检测旧数据库是否正在使用中...\r\n" + backup_lines() + L"删除旧数据库及相关信息...\r\n");
    EXPECT_EQ(form.log, expected);
    EXPECT_TRUE(backups().at(0).starts_with(form.data + L"\\mirvox_")) << "the safety backup is kept";
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

// Another login's session is not counted as use by the tills; once the
// operator has confirmed, it is ended, so that nothing is written after the
// safety backup and the drop is not refused.
TEST_F(OldDatabase, InUseByAnotherLoginIsNotCountedAndItsSessionIsEndedBeforeTheBackup)
{
    make_old_install();
    platform::Transaction administrator_client;
    install_test::connect(administrator_client, L"sa", install_test::sa_password());
    administrator_client.execute_immediate(L"use mirvox");
    form.confirm_answers = {L"1"};

    EXPECT_EQ(install(), InstallOutcome::completed) << testing::PrintToString(form.log);

    administrator_client.execute_immediate(L"select 1");
    EXPECT_EQ(administrator_client.status_code(), platform::Transaction::failure) << "its session was ended";
}

TEST_F(OldDatabase, WithoutItsLoginIsReplacedAllTheSame)
{
    make_old_install(false);
    form.confirm_answers = {L"1"};

    EXPECT_EQ(install(), InstallOutcome::completed) << testing::PrintToString(form.log);
    EXPECT_EQ(select_as_sa(L"master", L"select dbname from master.dbo.syslogins where name =?", {L"mirvox"}), L"mirvox");
}

// The reconnection as the application login fails (here its password is
// refused): the server goes back to what it held, the old login as it was,
// and the next run with the usual settings installs.
TEST_F(OldDatabase, FailureAfterTheDropPutsTheOldDatabaseBackAndTheNextRunInstalls)
{
    make_old_install();
    install_test::run_as_sa({L"use mirvox", L"CREATE TABLE t_sale (sale_no nvarchar(20))",
                             L"insert into t_sale (sale_no) values ('S-1')", L"use master",
                             L"dbo.sp_addsrvrolemember 'mirvox', sysadmin"});
    settings.is_pass = L"not-rovtakl";
    form.confirm_answers = {L"1"};

    EXPECT_EQ(install(), InstallOutcome::statement_failed);

    ASSERT_EQ(prompts.shown().size(), 2u);
    EXPECT_EQ(prompts.shown()[0].text, L"不能连接到数据库。Login failed for user 'mirvox'.");
    const std::wstring backup = backups().at(0);
    EXPECT_EQ(prompts.shown()[1].text, L"安装新数据库失败。\r\n原数据库已从安全备份恢复，数据库服务器回到了安装前的状态。"
                                       L"\r\n原数据库的安全备份保留在数据库服务器上：" + backup);
    const std::wstring failure = L"装载系统模板数据库...    安装失败:Login failed for user 'mirvox'.";
    EXPECT_EQ(form.status, failure + L"    原数据库已恢复。");
    EXPECT_TRUE(form.log.ends_with(failure + L"\r\nLogin failed for user 'mirvox'.\r\n恢复安装前的状态...\r\n"
                                   L"删除本次安装建立的数据库 mirvox\r\n删除本次安装建立的登录名 mirvox\r\n"
                                   L"从安全备份还原原数据库：" + backup + L"\r\n恢复原数据库的访问方式 MULTI_USER\r\n"
                                   L"重新建立登录名 mirvox\r\n"
                                   L"已恢复安装前的状态。\r\n"))
        << testing::PrintToString(form.log);
    EXPECT_EQ(select_as_sa(L"mirvox", L"select sale_no from t_sale"), L"S-1") << "the shop's data is back";
    EXPECT_EQ(select_as_sa(L"master", L"select sysadmin from master.dbo.syslogins where name =?", {L"mirvox"}), L"1");
    EXPECT_FALSE(install_test::file_exists(install_test::staging_path));
    EXPECT_FALSE(sqlca.connected());

    settings.is_pass = L"rovtakl";
    prompts.clear_shown();
    form.confirm_answers = {L"1"};
    EXPECT_EQ(install(), InstallOutcome::completed) << testing::PrintToString(form.status);
    EXPECT_EQ(backups().size(), 2u) << "each replacement keeps its own safety backup";
}

}  // namespace
