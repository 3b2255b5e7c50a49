// Every statement of the install refused by the server in turn (the stand-in's
// fail rule): the operator sees the failure path's status line, log lines and
// warning with the server's own text, and nothing after the failed step is
// done on the server.
#include "install_test.h"

#include <algorithm>

namespace e2e {
namespace {

using Messages = std::vector<std::vector<std::string>>;

// The steps of an install in the order they run.
enum class Step {
    old_database_query,
    drop_database,
    drop_login,
    create_database,
    copy_template,
    restore,
    add_login,
    grant_sysadmin,
    reconnect,
    set_default_database,
    use_database,
    delete_store_mode,
    insert_store_mode,
};

struct FailureCase {
    const char* name;
    Step failing;
    bool old_database;
    std::string fault;  // the stand-in's --fault rule
    std::string probe;  // a statement the rule fails too, to learn the server's text

    friend void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }
};

bool done_before(Step step, Step failing) { return step < failing; }

std::string caption_before_failure(const FailureCase& c, const std::string& error) {
    if (c.failing == Step::old_database_query) return "检测旧数据库及相关信息...";
    if (c.failing == Step::drop_database || c.failing == Step::drop_login) return "删除旧数据库及相关信息失败！" + error;
    if (c.failing == Step::create_database) return "开始创建新数据库...";
    return "装载系统模板数据库...";
}

std::vector<std::string> lines_before_failure(const FailureCase& c) {
    std::vector<std::string> lines{"开始安装系统数据库...", "正在连接数据库服务器...", "连接数据库成功",
                                   "检测旧数据库及相关信息..."};
    if (c.old_database && c.failing >= Step::drop_database)
        lines.insert(lines.end(), {"检测旧数据库是否正在使用中...", "删除旧数据库及相关信息..."});
    if (c.failing >= Step::create_database) lines.push_back("开始创建新数据库...");
    if (c.failing >= Step::copy_template) lines.push_back("安装系统信息...");
    if (done_before(Step::reconnect, c.failing)) lines.insert(lines.end(), {"连接数据库成功", "创建系统用户信息..."});
    if (c.failing >= Step::delete_store_mode) lines.push_back("设置连锁模式");
    return lines;
}

class ServerFailure : public InstallTest, public ::testing::WithParamInterface<FailureCase> {
protected:
    // What the server holds after the run, step by step up to the failure.
    void expect_nothing_done_after_the_failure() {
        const FailureCase& c = GetParam();
        const auto databases = rows("select name from master.dbo.sysdatabases");
        const bool database_present = std::find(databases.begin(), databases.end(), Row{"mirvox"}) != databases.end();
        const bool old_database_kept = c.old_database && !done_before(Step::drop_database, c.failing);
        EXPECT_EQ(database_present, old_database_kept || done_before(Step::create_database, c.failing));

        if (done_before(Step::restore, c.failing)) {
            const std::vector<Row> store_mode_rows =
                c.failing == Step::insert_store_mode ? std::vector<Row>{} : std::vector<Row>{{"旧模式", "9"}};
            EXPECT_EQ(rows("select sys_var_name, sys_var_value from mirvox.dbo.t_sys_system "
                           "where sys_var_id = 'Is_Distributed'"),
                      store_mode_rows);
        } else if (database_present) {
            EXPECT_TRUE(query_fails("select sys_var_id from mirvox.dbo.t_sys_system"));
        }

        const auto logins = rows("select name, dbname, sysadmin from master.dbo.syslogins");
        const auto login = std::find_if(logins.begin(), logins.end(), [](const Row& row) { return row[0] == "mirvox"; });
        const bool old_login_kept = c.old_database && !done_before(Step::drop_login, c.failing);
        const bool login_created = done_before(Step::add_login, c.failing);
        ASSERT_EQ(login != logins.end(), old_login_kept || login_created) << ::testing::PrintToString(logins);
        if (login != logins.end()) {
            EXPECT_EQ(*login, (Row{"mirvox", "mirvox", done_before(Step::grant_sysadmin, c.failing) ? "1" : "0"}));
        }

        EXPECT_EQ(std::filesystem::exists(wine_.drive_c() / staging_file), done_before(Step::copy_template, c.failing));
        EXPECT_FALSE(wine_.registry_value(alias_key, "mirvox"));
    }
};

TEST_P(ServerFailure, EndsOnTheFailurePathWithTheServersText) {
    const FailureCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(start_server({.old_database = c.old_database, .faults = {c.fault}}));
    std::string error;
    {
        const auto probe = connect_as_sa(server_->port(), sa_password_);
        ASSERT_TRUE(probe);
        const auto refused = probe->execute(c.probe);
        ASSERT_TRUE(refused && !refused->text.empty()) << "the fault rule did not fail the probe: " << c.probe;
        error = refused->text;
    }

    start_installer();
    auto steps = install_steps(default_form());
    if (c.old_database) steps.push_back("code-right");
    steps.insert(steps.end(), {"message", "status", "log", "install-enabled", "close"});
    const DriverRun run = drive(steps);

    ASSERT_EQ(run.exit_code, 0) << run.output;
    const std::string status = caption_before_failure(c, error) + "    安装失败:" + error;
    EXPECT_EQ(observed(run, "message"), (Messages{{"警告", "安装新数据库失败。"}}));
    EXPECT_EQ(observed_once(run, "status"), status);
    auto lines = lines_before_failure(c);
    lines.insert(lines.end(), {status, error});
    EXPECT_EQ(observed_once(run, "log"), log_of(lines));
    EXPECT_EQ(observed_once(run, "install-enabled"), "1");
    expect_installer_disconnected();
    expect_nothing_done_after_the_failure();
}

INSTANTIATE_TEST_SUITE_P(
    EachStatement, ServerFailure,
    ::testing::Values(
        FailureCase{"OldDatabaseQuery", Step::old_database_query, false,
                    "fail:master.dbo.sysdatabases where name:208",
                    "select name from master.dbo.sysdatabases where name = N'mirvox'"},
        FailureCase{"DropDatabase", Step::drop_database, true, "fail:Drop DATABASE mirvox:3702", "Drop DATABASE mirvox"},
        FailureCase{"DropLogin", Step::drop_login, true, "fail:sp_droplogin:15007", "dbo.sp_droplogin mirvox"},
        FailureCase{"CreateDatabase", Step::create_database, false, "fail:CREATE DATABASE mirvox:1801",
                    "CREATE DATABASE mirvox"},
        FailureCase{"Restore", Step::restore, false, "fail:RESTORE DATABASE mirvox:3241",
                    "RESTORE DATABASE mirvox FROM DISK = N'c:\\zq.tmp'"},
        FailureCase{"AddLogin", Step::add_login, false, "fail:sp_addlogin:15025",
                    "dbo.sp_addlogin 'mirvox','rovtakl',mirvox"},
        FailureCase{"GrantSysadmin", Step::grant_sysadmin, false, "fail:sp_addsrvrolemember:15247",
                    "dbo.sp_addsrvrolemember 'mirvox', sysadmin"},
        FailureCase{"SetDefaultDatabase", Step::set_default_database, false, "fail:sp_defaultdb:15010",
                    "exec dbo.sp_defaultdb N'mirvox', N'mirvox'"},
        FailureCase{"UseDatabase", Step::use_database, false, "fail:use mirvox:911", "use mirvox"},
        FailureCase{"DeleteStoreMode", Step::delete_store_mode, false, "fail:Delete from t_sys_system:229",
                    "Delete from t_sys_system where sys_var_id = 'probe'"},
        FailureCase{"InsertStoreMode", Step::insert_store_mode, false, "fail:insert into t_sys_system:2627",
                    "insert into t_sys_system (sys_var_id) values ('probe')"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
