// A statement refused by the server after the install has changed it, seen
// in the window: the status line and the warning say what failed and whether
// the server was put back, and the log holds each step of the way back.
#include "install_test.h"

#include <algorithm>

namespace e2e {
namespace {

using Messages = std::vector<std::vector<std::string>>;

class ServerFailure : public InstallTest {
protected:
    // Installs through the window, confirming the check code when an old
    // database is there, and reads what the operator would see.
    DriverRun install_through_the_window(bool old_database) {
        start_installer();
        auto steps = install_steps(default_form());
        if (old_database) steps.push_back("code-right");
        steps.insert(steps.end(), {"message", "status", "log", "install-enabled", "close"});
        return drive(steps);
    }

    // The log from the failed statement on.
    static std::vector<std::string> lines_from(const std::string& log, const std::string& first) {
        std::vector<std::string> lines;
        size_t at = log.find(first);
        while (at != std::string::npos && at < log.size()) {
            const size_t end = log.find("\r\n", at);
            lines.push_back(log.substr(at, end - at));
            at = end == std::string::npos ? end : end + 2;
        }
        return lines;
    }
};

TEST_F(ServerFailure, RestoreFailingAfterTheDropPutsTheOldDatabaseBack) {
    ASSERT_NO_FATAL_FAILURE(start_server({.old_database = true, .faults = {"fail:mirvox.dat' WITH:3241"}}));

    const DriverRun run = install_through_the_window(true);

    ASSERT_EQ(run.exit_code, 0) << run.output;
    const std::string backup = only_safety_backup();
    const std::string error = "The media family on device '" + windows_path("template/mirvox.dat") +
                              "' is incorrectly formed. SQL Server cannot process this media family. RESTORE "
                              "DATABASE is terminating abnormally.";
    const std::string failure = "装载系统模板数据库...    安装失败:" + error;
    EXPECT_EQ(observed(run, "message"),
              (Messages{{"警告", "安装新数据库失败。\r\n原数据库已从安全备份恢复，数据库服务器回到了安装前的状态。"
                                 "\r\n原数据库的安全备份保留在数据库服务器上：" + backup}}));
    EXPECT_EQ(observed_once(run, "status"), failure + "    原数据库已恢复。");
    EXPECT_EQ(lines_from(observed_once(run, "log"), "开始创建新数据库..."),
              (std::vector<std::string>{"开始创建新数据库...", failure, error, "恢复安装前的状态...",
                                        "删除本次安装建立的数据库 mirvox", "从安全备份还原原数据库：" + backup,
                                        "恢复原数据库的访问方式 MULTI_USER", "重新建立登录名 mirvox",
                                        "已恢复安装前的状态。"}));
    EXPECT_EQ(observed_once(run, "install-enabled"), "1");
    expect_old_installation_kept();
    expect_installer_disconnected();
}

TEST_F(ServerFailure, FreshInstallFailingAtTheStoreModeTakesItsDatabaseAndLoginAway) {
    ASSERT_NO_FATAL_FAILURE(start_server({.faults = {"fail:insert into t_sys_system:2627"}}));

    const DriverRun run = install_through_the_window(false);

    ASSERT_EQ(run.exit_code, 0) << run.output;
    EXPECT_EQ(observed(run, "message"),
              (Messages{{"警告", "安装新数据库失败。\r\n本次安装在数据库服务器上所做的更改已经撤销。"}}));
    const auto log = lines_from(observed_once(run, "log"), "设置连锁模式");
    ASSERT_EQ(log.size(), 7u) << observed_once(run, "log");
    EXPECT_TRUE(log[1].starts_with("装载系统模板数据库...    安装失败:")) << log[1];
    EXPECT_EQ(std::vector<std::string>(log.begin() + 3, log.end()),
              (std::vector<std::string>{"恢复安装前的状态...", "删除本次安装建立的数据库 mirvox",
                                        "删除本次安装建立的登录名 mirvox", "已恢复安装前的状态。"}));
    EXPECT_TRUE(observed_once(run, "status").ends_with("    已撤销本次安装的更改。"));
    expect_nothing_installed();
    expect_installer_disconnected();
}

// The safety backup cannot be restored either: the operator is told where it is.
TEST_F(ServerFailure, FailedRollbackNamesTheSafetyBackup) {
    ASSERT_NO_FATAL_FAILURE(start_server({.old_database = true, .faults = {"fail:RESTORE DATABASE mirvox:3241"}}));

    const DriverRun run = install_through_the_window(true);

    ASSERT_EQ(run.exit_code, 0) << run.output;
    const std::string backup = only_safety_backup();
    const auto messages = observed(run, "message");
    ASSERT_EQ(messages.size(), 1u) << run.output;
    EXPECT_TRUE(messages[0][1].starts_with("安装新数据库失败。\r\n恢复安装前的状态时出错：")) << messages[0][1];
    EXPECT_NE(messages[0][1].find("\r\n原数据库没有恢复。它的安全备份在数据库服务器上：" + backup + "\r\n"),
              std::string::npos)
        << messages[0][1];
    EXPECT_NE(observed_once(run, "status").find("    恢复安装前的状态失败:"), std::string::npos);
    EXPECT_TRUE(rows("select name from master.dbo.sysdatabases where name = 'mirvox'").empty());
    EXPECT_TRUE(std::filesystem::exists(host_path("data/" + safety_backups().at(0)))) << "the backup is kept";
    expect_installer_disconnected();
}

}  // namespace
}  // namespace e2e
