// The installer started from the command line: every exit status, what it
// prints on each stream, and what the server holds afterwards.
#include "install_test.h"

#include <regex>

namespace e2e {
namespace {

std::string lines_of(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}

std::string first_line(const std::string& text) { return text.substr(0, text.find('\n')); }

class UnattendedTest : public InstallTest {
protected:
    ProgramResult run(const std::vector<std::string>& arguments, const std::string& password) {
        return run_command_line(arguments, password);
    }

    ProgramResult install(const std::vector<std::string>& extra = {}) { return install_unattended(extra); }

    std::vector<Row> user_databases() { return rows("select name from master.dbo.sysdatabases where name = 'mirvox'"); }
};

TEST_F(UnattendedTest, InstallsRefusesAnOldDatabaseWithoutLeaveThenReplacesIt) {
    start_server();

    const ProgramResult first = install({"--store-mode", "branch"});
    EXPECT_EQ(first.exit_code, 0) << first.errors;
    EXPECT_EQ(first.output, lines_of(fresh_install_lines));
    EXPECT_EQ(first.errors, "Korvena: 安装新数据库成功！\n");
    expect_installed("data", {"分店/配送中心", "2"});

    // A row only the installed database has: it survives a refused run and
    // goes with a reinstall, which restores the template again.
    auto client = connect_as_sa(server_->port(), sa_password_);
    ASSERT_TRUE(client);
    ASSERT_FALSE(client->execute("use mirvox"));
    ASSERT_FALSE(client->execute("insert into t_sys_system (sys_var_id, sys_var_name, sys_var_value, sys_ver_flag, "
                                 "sys_inited) values ('Shop_Name', N'本店', '1', '', '1')"));
    ASSERT_FALSE(client->execute("use master"));
    const std::string marker = "select sys_var_name from mirvox.dbo.t_sys_system where sys_var_id = 'Shop_Name'";

    const ProgramResult refused = install({"--store-mode", "branch"});
    EXPECT_EQ(refused.exit_code, 5);
    EXPECT_EQ(refused.output, lines_of(lines_until_detection()));
    EXPECT_EQ(refused.errors, "");
    EXPECT_EQ(rows(marker), (std::vector<Row>{{"本店"}}));
    EXPECT_TRUE(safety_backups().empty());
    EXPECT_FALSE(std::filesystem::exists(wine_.drive_c() / staging_file));

    const ProgramResult replaced = install({"--store-mode", "headquarters", "--drop-existing"});
    EXPECT_EQ(replaced.exit_code, 0) << replaced.errors;
    EXPECT_EQ(replaced.output, lines_of(replacing_install_lines(only_safety_backup())));
    EXPECT_EQ(replaced.errors, "Korvena: 安装新数据库成功！\n");
    EXPECT_TRUE(rows(marker).empty());
    expect_installed("data", {"总部", "1"});
}

TEST_F(UnattendedTest, AFailedStatementEndsWithTheFailurePathAndStatusOne) {
    start_server({false, {"fail:CREATE DATABASE:1801"}});

    const ProgramResult result = install();
    EXPECT_EQ(result.exit_code, 1);
    const std::string error = "Database 'mirvox' already exists. Choose a different database name.";
    EXPECT_EQ(result.output, lines_of({fresh_install_lines.begin(), fresh_install_lines.begin() + 7}) +
                                 "开始创建新数据库...    安装失败:" + error + "\n" + error + "\n" +
                                 "恢复安装前的状态...\n数据库服务器上没有要撤销的更改。\n");
    EXPECT_EQ(result.errors, "警告: 安装新数据库失败。\n");
    EXPECT_TRUE(user_databases().empty());
}

TEST_F(UnattendedTest, InstallsOnAServerThatEnforcesWindowsPasswordPolicy) {
    // The application's fixed password is too weak for the policy; its login
    // is made without the policy, as it must be.
    start_server({.arguments = {"--password-policy"}});
    const ProgramResult result = install();
    EXPECT_EQ(result.exit_code, 0) << result.output << result.errors;
    expect_installed("data", {"单店", "0"});
    EXPECT_TRUE(std::holds_alternative<std::unique_ptr<CatalogClient>>(
        CatalogClient::connect(server_->port(), "mirvox", "rovtakl")));
}

TEST_F(UnattendedTest, KeepsTheRunsRecordInTheLogFileItIsGivenWithoutAPassword) {
    start_server();
    const ProgramResult result = install({"--log", windows_path("work/install.log")});
    EXPECT_EQ(result.exit_code, 0) << result.errors;

    const std::string log = read_file(host_path("work/install.log"));
    EXPECT_EQ(log.find(sa_password_), std::string::npos) << log;
    EXPECT_EQ(log.find("rovtakl"), std::string::npos) << log;
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(log.substr(start, end - start));
    ASSERT_GE(lines.size(), 3u) << log;
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("==== .* dbinstall 1\\.0\\.0 on .*: command line: --unattended "
                                                      "--server " + server_->address() + " .* ====")))
        << lines[0];
    const std::regex timed("\\d\\d:\\d\\d:\\d\\d .+");
    for (size_t i = 1; i < lines.size(); ++i) EXPECT_TRUE(std::regex_match(lines[i], timed)) << lines[i];
    auto has = [&](const std::string& text) {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.ends_with(text); });
    };
    EXPECT_TRUE(has(" 开始安装系统数据库...")) << log;
    EXPECT_TRUE(has(" server " + server_->address() + ": SQL Server 15.0.2000.5 on " + this_computer())) << log;
    EXPECT_TRUE(has(" sql: CREATE LOGIN [mirvox] WITH PASSWORD = N'********', DEFAULT_DATABASE = [mirvox], "
                    "CHECK_POLICY = OFF -> ok"))
        << log;
    EXPECT_TRUE(has(" message: Korvena: 安装新数据库成功！")) << log;
    EXPECT_TRUE(has(" result: completed")) << log;
}

TEST_F(UnattendedTest, AFailedStatementIsInTheDefaultLogFileWithTheServersNumber) {
    start_server({.faults = {"fail:CREATE DATABASE:1801"}});
    const auto default_log = wine_.drive_c() / "ProgramData" / "Korvena" / "dbinstall.log";
    const auto size_before = std::filesystem::exists(default_log) ? std::filesystem::file_size(default_log) : 0;

    EXPECT_EQ(install().exit_code, 1);

    const std::string run = read_file(default_log).substr(size_before);
    EXPECT_NE(run.find("--server " + server_->address()), std::string::npos) << run;
    EXPECT_NE(run.find("-> failed 1801: Database 'mirvox' already exists. Choose a different database name.\r\n"),
              std::string::npos)
        << run;
    EXPECT_NE(run.find(" result: failed\r\n"), std::string::npos) << run;
    EXPECT_EQ(run.find(sa_password_), std::string::npos);
}

TEST_F(UnattendedTest, ARecordFolderThatIsALinkIsRefusedAndNothingIsWrittenThroughIt) {
    // Made by a local user before the run, pointing where they choose.
    start_server();
    const auto folder = wine_.drive_c() / "ProgramData" / "Korvena";
    const auto elsewhere = host_path("elsewhere");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(elsewhere);
    std::filesystem::create_directory_symlink(elsewhere, folder);

    const ProgramResult refused = install();
    EXPECT_EQ(refused.exit_code, 8) << refused.errors;
    EXPECT_NE(refused.errors.find("警告: 不能在文件夹 C:\\ProgramData\\Korvena 中保存安装记录：它是一个链接"),
              std::string::npos)
        << refused.errors;
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
    EXPECT_TRUE(user_databases().empty());
    std::filesystem::remove(folder);
}

TEST_F(UnattendedTest, UsageErrorsAreRefusedBeforeAnythingHappens) {
    start_server();
    const struct {
        std::vector<std::string> arguments;
        std::string reason;
    } rows_of_cases[] = {
        {{"--unattended", "--password", "x"}, "unknown option: --password"},
        {{"--unattended", "--server"}, "missing value after --server"},
        {{"--unattended", "--store-mode", "chain"}, "unknown store mode: chain (single, headquarters or branch)"},
    };
    for (const auto& row : rows_of_cases) {
        const ProgramResult result = run(row.arguments, sa_password_);
        EXPECT_EQ(result.exit_code, 2) << row.reason;
        EXPECT_EQ(result.output, "") << row.reason;
        EXPECT_EQ(first_line(result.errors), row.reason);
        EXPECT_NE(result.errors.find("usage: dbinstall.exe --unattended"), std::string::npos) << result.errors;
    }
    EXPECT_TRUE(user_databases().empty());
}

TEST_F(UnattendedTest, HelpListsTheUsageAndEveryExitStatus) {
    const ProgramResult result = run({"--help"}, "");
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_NE(result.output.find("usage: dbinstall.exe --unattended"), std::string::npos) << result.output;
    for (const char* status : {"  0  ", "  1  ", "  2  ", "  3  ", "  4  ", "  5  ", "  6  ", "  7  ", "  8  "})
        EXPECT_NE(result.output.find(status), std::string::npos) << status;
    EXPECT_EQ(result.errors, "");
}

TEST_F(UnattendedTest, AMissingTemplateStopsWithStatusThree) {
    start_server();
    std::vector<std::string> arguments{"--unattended", "--server", server_->address(), "--template",
                                       windows_path("template/missing.dat")};
    const ProgramResult result = run(arguments, sa_password_);
    EXPECT_EQ(result.exit_code, 3);
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(result.errors, "提示: 请选择数据库文件\n");
}

TEST_F(UnattendedTest, AWrongPasswordIsARefusedLoginWithTheServersText) {
    start_server();
    const std::string wrong_password = "Not-the;password";
    std::vector<std::string> arguments{"--unattended", "--server", server_->address(), "--template",
                                       windows_path("template/mirvox.dat")};
    const ProgramResult result = run(arguments, wrong_password);
    EXPECT_EQ(result.exit_code, 12);
    EXPECT_EQ(result.output, lines_of({fresh_install_lines.begin(), fresh_install_lines.begin() + 2}));
    EXPECT_EQ(result.errors.rfind("Korvena: 不能连接到数据库。", 0), 0u) << result.errors;
    EXPECT_NE(result.errors.find("Login failed for user 'sa'."), std::string::npos) << result.errors;
}

TEST_F(UnattendedTest, AnOldDatabaseInUseStopsWithStatusSix) {
    start_server({true, {}});
    auto application_user = CatalogClient::connect(server_->port(), "mirvox", "rovtakl");
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<CatalogClient>>(application_user));
    ASSERT_FALSE(std::get<std::unique_ptr<CatalogClient>>(application_user)->execute("use mirvox"));

    const ProgramResult result = install({"--drop-existing"});
    EXPECT_EQ(result.exit_code, 6);
    std::vector<std::string> lines = lines_until_detection();
    lines.insert(lines.end(), {"检测旧数据库是否正在使用中...", "旧数据库正在被使用，不能安装新数据库。"});
    EXPECT_EQ(result.output, lines_of(lines));
    EXPECT_EQ(result.errors, "警告: 旧数据库正在被使用，请让所有用户退出应用系统，然后继续此操作。\n");
    EXPECT_EQ(user_databases(), (std::vector<Row>{{"mirvox"}}));
}

TEST_F(UnattendedTest, ANameInTheSettingsThatIsNotAnIdentifierStopsWithStatusSeven) {
    start_server();
    write_ini("[database]\ndatabasename=mirvox;drop database master\n");
    const ProgramResult result = install();
    EXPECT_EQ(result.exit_code, 7);
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(result.errors.rfind("警告: dbinstall.ini", 0), 0u) << result.errors;
    EXPECT_NE(result.errors.find("mirvox;drop database master"), std::string::npos) << result.errors;
    EXPECT_TRUE(user_databases().empty());
}

}  // namespace
}  // namespace e2e
