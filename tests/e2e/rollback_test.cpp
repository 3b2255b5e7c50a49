// A statement refused by the server (the stand-in's fault rules) at each step
// of an unattended install: the server goes back to what it held before the
// run, and the next run with the same inputs installs.
#include "install_test.h"

namespace e2e {
namespace {

// How the failed run ends for the operator.
enum class Ending {
    nothing_changed,  // failed before any change: the plain failure message
    access_back,      // failed before the safety backup was written: the old database open to all again
    old_kept,         // the drop did not happen: the old database as it was, its safety backup named
    old_restored,     // the old database came back from its safety backup, which is named
    undone,           // a fresh install's database and login were taken away
};

struct FailureCase {
    const char* name;
    bool old_database;
    std::string fault;
    Ending ending;

    friend void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }
};

std::string box_of(Ending ending, const std::string& safety_backup) {
    const std::string backup_kept = "原数据库的安全备份保留在数据库服务器上：" + safety_backup + "\n";
    switch (ending) {
    case Ending::nothing_changed: return "警告: 安装新数据库失败。\n";
    case Ending::access_back:
    case Ending::undone: return "警告: 安装新数据库失败。\n本次安装在数据库服务器上所做的更改已经撤销。\n";
    case Ending::old_kept:
        return "警告: 安装新数据库失败。\n本次安装在数据库服务器上所做的更改已经撤销。\n" + backup_kept;
    case Ending::old_restored:
        return "警告: 安装新数据库失败。\n原数据库已从安全备份恢复，数据库服务器回到了安装前的状态。\n" + backup_kept;
    }
    return {};
}

class FailedStep : public InstallTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailedStep, LeavesTheServerAsItWasAndTheNextRunInstalls) {
    const FailureCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(start_server({.old_database = c.old_database, .faults = {c.fault}}));

    const ProgramResult failed = install_unattended({"--drop-existing"});

    EXPECT_EQ(failed.exit_code, 1) << failed.output << failed.errors;
    const bool backed_up = c.ending == Ending::old_kept || c.ending == Ending::old_restored;
    EXPECT_EQ(failed.errors, box_of(c.ending, backed_up ? only_safety_backup() : "")) << failed.output;
    if (c.ending != Ending::nothing_changed) {
        const std::string rollback = failed.output.substr(std::min(failed.output.find("恢复安装前的状态...\n"),
                                                                   failed.output.size()));
        EXPECT_TRUE(rollback.ends_with("已恢复安装前的状态。\n")) << failed.output;
        if (c.ending == Ending::old_restored) {
            EXPECT_NE(rollback.find("从安全备份还原原数据库：" + only_safety_backup() + "\n"), std::string::npos)
                << failed.output;
        }
    }
    if (c.old_database)
        expect_old_installation_kept();
    else
        expect_nothing_installed();
    expect_installer_disconnected();
    EXPECT_FALSE(wine_.registry_value(alias_key, "mirvox"));

    ASSERT_NO_FATAL_FAILURE(restart_server({}));
    const ProgramResult rerun = install_unattended({"--drop-existing"});
    EXPECT_EQ(rerun.exit_code, 0) << rerun.output << rerun.errors;
    expect_installed("data", {"单店", "0"});
}

// Without a safety backup the old database cannot come back: the operator is
// told so, and what the run made is taken away all the same.
TEST_F(InstallTest, WithoutASafetyBackupAFailureAfterTheDropSaysTheOldDatabaseIsLost) {
    ASSERT_NO_FATAL_FAILURE(start_server({.old_database = true, .faults = {"fail:mirvox.dat' WITH:3241"}}));

    const ProgramResult failed = install_unattended({"--drop-existing", "--no-safety-backup"});

    EXPECT_EQ(failed.exit_code, 11);
    EXPECT_EQ(failed.errors, "警告: 安装新数据库失败。\n恢复安装前的状态时出错：原数据库已删除，没有安全备份。\n"
                             "请与技术支持联系。\n");
    EXPECT_EQ(failed.output.find("备份旧数据库..."), std::string::npos) << failed.output;
    EXPECT_NE(failed.output.find("删除本次安装建立的数据库 mirvox\n"), std::string::npos) << failed.output;
    EXPECT_TRUE(safety_backups().empty());
    EXPECT_TRUE(rows("select name from master.dbo.sysdatabases where name = 'mirvox'").empty());
}

INSTANTIATE_TEST_SUITE_P(
    EachStatement, FailedStep,
    ::testing::Values(
        FailureCase{"OldDatabaseQuery", true, "fail:sysdatabases where name:208", Ending::nothing_changed},
        FailureCase{"SafetyBackup", true, "fail:BACKUP DATABASE:3201", Ending::access_back},
        FailureCase{"DropDatabase", true, "fail:Drop DATABASE mirvox:3702", Ending::old_kept},
        FailureCase{"DropLogin", true, "fail:sp_droplogin:15434", Ending::old_restored},
        FailureCase{"CreateDatabase", true, "fail:CREATE DATABASE:5170", Ending::old_restored},
        FailureCase{"Restore", true, "fail:mirvox.dat' WITH:3241", Ending::old_restored},
        FailureCase{"ConnectionDroppedDuringTheRestore", true, "drop:mirvox.dat' WITH", Ending::old_restored},
        FailureCase{"CreateLogin", true, "fail-once:CREATE LOGIN:15025", Ending::old_restored},
        FailureCase{"GrantSysadmin", true, "fail-once:sp_addsrvrolemember:15247", Ending::old_restored},
        FailureCase{"SetDefaultDatabase", true, "fail:sp_defaultdb:15010", Ending::old_restored},
        FailureCase{"UseDatabase", true, "fail:use mirvox:911", Ending::old_restored},
        FailureCase{"DeleteStoreMode", true, "fail:Delete from t_sys_system:229", Ending::old_restored},
        FailureCase{"InsertStoreMode", true, "fail:insert into t_sys_system:2627", Ending::old_restored},
        FailureCase{"FreshRestore", false, "fail:mirvox.dat' WITH:3241", Ending::undone},
        FailureCase{"FreshInsertStoreMode", false, "fail:insert into t_sys_system:2627", Ending::undone}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
