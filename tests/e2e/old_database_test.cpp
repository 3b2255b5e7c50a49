// A server that already holds the database: the check-code dialog decides,
// and a database still used by the application login is left alone.
#include "install_test.h"

#include <algorithm>

namespace e2e {
namespace {

using Messages = std::vector<std::vector<std::string>>;

class OldDatabase : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        if (HasFatalFailure()) return;
        start_server({.old_database = true, .faults = {}});
        if (HasFatalFailure()) return;
        start_installer();
    }

};

TEST_F(OldDatabase, WrongCodeIsRefusedThenTheRightCodeReplacesIt) {
    auto steps = install_steps(default_form());
    steps.insert(steps.end(), {"code-wrong", "message", "code-right", "message", "log", "close"});

    const DriverRun run = drive(steps);

    ASSERT_EQ(run.exit_code, 0) << run.output;
    const auto codes = observed(run, "code");
    ASSERT_EQ(codes.size(), 2u) << run.output;
    EXPECT_EQ(codes[0], codes[1]) << "the code must not be redrawn after a wrong attempt";
    EXPECT_EQ(codes[0].at(0).size(), 4u);
    EXPECT_TRUE(std::all_of(codes[0][0].begin(), codes[0][0].end(), ::isdigit));
    EXPECT_EQ(observed(run, "message"),
              (Messages{{"", "校验码输入不正确，请重新输入"}, {"Korvena", "安装新数据库成功！"}}));
    EXPECT_EQ(observed_once(run, "log"), log_of(replacing_install_lines(only_safety_backup())));
    expect_installed("data", {"单店", "0"});
}

TEST_F(OldDatabase, CancelLeavesTheServerAsItWasWithoutAMessage) {
    auto steps = install_steps(default_form());
    steps.insert(steps.end(), {"code-cancel", "idle", "log", "install-enabled", "close"});

    const DriverRun run = drive(steps);

    ASSERT_EQ(run.exit_code, 0) << run.output;
    EXPECT_TRUE(observed(run, "message").empty());
    EXPECT_EQ(observed_once(run, "log"), log_of(lines_until_detection()));
    EXPECT_EQ(observed_once(run, "install-enabled"), "1");
    expect_old_installation_kept();
    EXPECT_TRUE(safety_backups().empty()) << "nothing is backed up before the operator agrees and the database is free";
    expect_installer_disconnected();
    EXPECT_FALSE(wine_.registry_value(alias_key, "mirvox"));
}

TEST_F(OldDatabase, InUseByTheApplicationLoginIsNotDropped) {
    auto user = CatalogClient::connect(server_->port(), "mirvox", "rovtakl");
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<CatalogClient>>(user)) << std::get<SqlError>(user).text;
    auto& application_user = std::get<std::unique_ptr<CatalogClient>>(user);
    ASSERT_FALSE(application_user->execute("use mirvox"));

    auto steps = install_steps(default_form());
    steps.insert(steps.end(), {"code-right", "message", "idle", "status", "log", "close"});
    const DriverRun run = drive(steps);

    ASSERT_EQ(run.exit_code, 0) << run.output;
    EXPECT_EQ(observed(run, "message"),
              (Messages{{"警告", "旧数据库正在被使用，请让所有用户退出应用系统，然后继续此操作。"}}));
    EXPECT_EQ(observed_once(run, "status"), "旧数据库正在被使用，不能安装新数据库。");
    auto lines = lines_until_detection();
    lines.insert(lines.end(), {"检测旧数据库是否正在使用中...", "旧数据库正在被使用，不能安装新数据库。"});
    EXPECT_EQ(observed_once(run, "log"), log_of(lines));
    expect_old_installation_kept();
    EXPECT_TRUE(safety_backups().empty()) << "nothing is backed up before the operator agrees and the database is free";
    application_user.reset();
    expect_installer_disconnected();
}

}  // namespace
}  // namespace e2e
