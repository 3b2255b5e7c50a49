// The installer on a machine with a current SQL Server: the default
// instance's keys alone (no SQL Server 2000 keys) fill the data path and raise
// no notice, in the window and in an unattended run; so does SQL Server
// Express alone, named in the server field with Windows authentication; with
// no keys at all the notice appears. The prefix's old keys, which every other
// test expects, are put back afterwards.
#include "install_test.h"

namespace e2e {
namespace {

using Messages = std::vector<std::vector<std::string>>;

constexpr char old_server_key[] = "HKLM\\SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer";
constexpr char old_setup_key[] = "HKLM\\SOFTWARE\\Microsoft\\MSSQLServer\\Setup";
constexpr int sle_sqldbpath = control::sle_sqldbpath;

class SqlServerKeys : public InstallTest {
protected:
    void SetUp() override {
        InstallTest::SetUp();
        ASSERT_EQ(wine_.registry_value(old_server_key, "DefaultDomain"), "KORVENA");
        saved_data_root_ = wine_.registry_value(old_setup_key, "SQLDataRoot");
        ASSERT_TRUE(saved_data_root_);
        wine_.remove_sql_server_registry();
    }
    void TearDown() override {
        InstallTest::TearDown();
        wine_.remove_sql_server_registry();
        if (saved_data_root_) wine_.seed_sql_server_registry(*saved_data_root_);
        EXPECT_EQ(wine_.registry_value(old_setup_key, "SQLDataRoot"), saved_data_root_);
    }

    std::optional<std::string> saved_data_root_;
};

TEST_F(SqlServerKeys, TheDefaultInstanceAloneFillsTheDataPathWithoutTheNotice) {
    const std::string data_root = "C:\\Program Files\\Microsoft SQL Server\\MSSQL16.MSSQLSERVER\\MSSQL";
    wine_.seed_current_sql_server_registry(data_root);
    start_installer();

    // A notice would hold the window hidden, and wait-main would not end.
    const DriverRun run = drive({"wait-main", "idle", "text:" + std::to_string(sle_sqldbpath), "close"});

    ASSERT_EQ(run.exit_code, 0) << run.output;
    EXPECT_TRUE(observed(run, "message").empty()) << run.output;
    EXPECT_EQ(observed_once(run, "text"), data_root + "\\data");
}

TEST_F(SqlServerKeys, ExpressAloneIsNamedWithItsDataPathAndWindowsAuthentication) {
    const std::string data_root = "C:\\Program Files\\Microsoft SQL Server\\MSSQL16.SQLEXPRESS\\MSSQL";
    wine_.seed_sql_server_instance("SQLEXPRESS", data_root, 1);
    start_installer();

    const DriverRun run = drive({"wait-main", "idle", "text:" + std::to_string(control::sle_sqlserver),
                                 "text:" + std::to_string(sle_sqldbpath),
                                 "checked:" + std::to_string(control::cbx_windows_auth), "close"});

    ASSERT_EQ(run.exit_code, 0) << run.output;
    EXPECT_TRUE(observed(run, "message").empty()) << run.output;
    EXPECT_EQ(observed(run, "text"), (Messages{{this_computer() + "\\SQLEXPRESS"}, {data_root + "\\data"}}));
    EXPECT_EQ(observed_once(run, "checked"), "1");
}

TEST_F(SqlServerKeys, WithoutAnyKeysTheNoticeAppearsAndTheDataPathIsOnD) {
    start_installer();

    const DriverRun run = drive({"startup-message", "wait-main", "text:" + std::to_string(sle_sqldbpath), "close"});

    ASSERT_EQ(run.exit_code, 0) << run.output;
    EXPECT_EQ(observed(run, "message"),
              (Messages{{"提示", "在本台机器上找不到MSS SQL Server, \r\n运行此程序需要安装MSS SQL Server。"}}));
    EXPECT_EQ(observed_once(run, "text"), "D:\\data");
}

TEST_F(SqlServerKeys, AnUnattendedRunInstallsIntoTheInstancesDataRoot) {
    std::filesystem::create_directories(host_path("sql/data"));
    wine_.seed_current_sql_server_registry(windows_path("sql"));
    start_server();

    const ProgramResult result = wine_.run_command_line(
        host_path("work"), {"--unattended", "--server", server_->address(), "--template", windows_path("template/mirvox.dat")},
        sa_password_, std::chrono::seconds(120));

    EXPECT_EQ(result.exit_code, 0) << result.errors;
    EXPECT_EQ(result.errors, "Korvena: 安装新数据库成功！\n") << "no notice, only the outcome";
    expect_installed("sql/data", {"单店", "0"});
}

}  // namespace
}  // namespace e2e
