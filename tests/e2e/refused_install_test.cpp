// Installs that stop before the server is changed, in the window: no server,
// a wrong password, no template, an unusable name in dbinstall.ini, a data
// folder that does not exist.
#include "install_test.h"

#include <algorithm>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace e2e {
namespace {

using Messages = std::vector<std::vector<std::string>>;

const char cannot_connect[] = "不能连接到数据库。";

// A loopback port that nothing listens on.
int unused_port() {
    const int socket_fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(socket_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(socket_fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(socket_fd);
    return ntohs(address.sin_port);
}

class RefusedInstall : public InstallTest {
protected:
    std::vector<std::string> steps_reading_the_outcome(const FormInput& form) {
        auto steps = install_steps(form);
        steps.insert(steps.end(), {"message", "idle", "status", "log", "install-enabled", "close"});
        return steps;
    }

    // Neither the database nor the application login was made.
    void expect_server_unchanged() {
        const auto databases = rows("select name from master.dbo.sysdatabases");
        EXPECT_EQ(std::find(databases.begin(), databases.end(), Row{"mirvox"}), databases.end());
        const auto logins = rows("select name from master.dbo.syslogins");
        EXPECT_EQ(std::find(logins.begin(), logins.end(), Row{"mirvox"}), logins.end());
        EXPECT_FALSE(std::filesystem::exists(wine_.drive_c() / staging_file));
    }
};

TEST_F(RefusedInstall, NoServerOnThePortShowsTheDriversText) {
    ASSERT_NO_FATAL_FAILURE(start_server());  // for the template only
    start_installer();
    FormInput form = default_form();
    form.server = "127.0.0.1," + std::to_string(unused_port());

    const DriverRun run = drive(steps_reading_the_outcome(form));

    ASSERT_EQ(run.exit_code, 0) << run.output;
    const auto messages = observed(run, "message");
    ASSERT_EQ(messages.size(), 1u) << run.output;
    EXPECT_EQ(messages[0][0], "Korvena");
    EXPECT_TRUE(messages[0][1].starts_with(cannot_connect)) << messages[0][1];
    EXPECT_GT(messages[0][1].size(), std::string(cannot_connect).size()) << "the driver's text is missing";
    EXPECT_EQ(observed_once(run, "log"), log_of({"开始安装系统数据库...", "正在连接数据库服务器..."}));
    EXPECT_EQ(observed_once(run, "status"), "正在连接数据库服务器...");
    EXPECT_EQ(observed_once(run, "install-enabled"), "1");
}

TEST_F(RefusedInstall, WrongPasswordShowsTheServersText) {
    ASSERT_NO_FATAL_FAILURE(start_server());
    start_installer();
    FormInput form = default_form();
    form.password = "not-the-password";

    const DriverRun run = drive(steps_reading_the_outcome(form));

    ASSERT_EQ(run.exit_code, 0) << run.output;
    EXPECT_EQ(observed(run, "message"),
              (Messages{{"Korvena", std::string(cannot_connect) + "Login failed for user 'sa'."}}));
    EXPECT_EQ(observed_once(run, "log"), log_of({"开始安装系统数据库...", "正在连接数据库服务器..."}));
    expect_server_unchanged();
}

TEST_F(RefusedInstall, MissingTemplateStopsBeforeAnythingIsLogged) {
    ASSERT_NO_FATAL_FAILURE(start_server());
    start_installer();
    FormInput form = default_form();
    form.template_file = windows_path("template/no-such-file.dat");

    const DriverRun run = drive(steps_reading_the_outcome(form));

    ASSERT_EQ(run.exit_code, 0) << run.output;
    EXPECT_EQ(observed(run, "message"), (Messages{{"提示", "请选择数据库文件"}}));
    EXPECT_EQ(observed_once(run, "log"), "none");
    expect_server_unchanged();
}

TEST_F(RefusedInstall, MissingDataFolderIsRefusedBeforeTheServerChanges) {
    ASSERT_NO_FATAL_FAILURE(start_server());
    start_installer();
    FormInput form = default_form();
    form.data_path = windows_path("no-such-folder");

    const DriverRun run = drive(steps_reading_the_outcome(form));

    ASSERT_EQ(run.exit_code, 0) << run.output;
    const std::string problem = "数据库服务器上没有文件夹“" + windows_path("no-such-folder") + "”。";
    const auto messages = observed(run, "message");
    ASSERT_EQ(messages.size(), 1u) << run.output;
    EXPECT_EQ(messages[0][0], "警告");
    EXPECT_TRUE(messages[0][1].starts_with(problem)) << messages[0][1];
    EXPECT_TRUE(messages[0][1].ends_with("数据库服务器上没有做任何更改。")) << messages[0][1];
    const std::string status = "安装前检查未通过：" + problem;
    EXPECT_EQ(observed_once(run, "status"), status);
    EXPECT_EQ(observed_once(run, "log"), log_of({"开始安装系统数据库...", "正在连接数据库服务器...", "连接数据库成功",
                                                 "检查安装条件...", status}));
    EXPECT_EQ(observed_once(run, "install-enabled"), "1");
    expect_server_unchanged();
}

// The check code is never asked for: the refusal comes first.
TEST_F(RefusedInstall, ServerOnAnotherComputerIsRefusedAndItsDatabaseKept) {
    ASSERT_NO_FATAL_FAILURE(start_server({.old_database = true, .arguments = {"--machine-name", "STORE-SRV"}}));
    start_installer();

    const DriverRun run = drive(steps_reading_the_outcome(default_form()));

    ASSERT_EQ(run.exit_code, 0) << run.output;
    const auto messages = observed(run, "message");
    ASSERT_EQ(messages.size(), 1u) << run.output;
    EXPECT_EQ(messages[0][0], "警告");
    EXPECT_TRUE(messages[0][1].starts_with("数据库服务器运行在计算机“STORE-SRV”上，不在本机“")) << messages[0][1];
    EXPECT_NE(messages[0][1].find("请到那台计算机上运行本程序。"), std::string::npos) << messages[0][1];
    EXPECT_TRUE(observed_once(run, "status").starts_with("安装前检查未通过：数据库服务器运行在计算机“STORE-SRV”上"));
    expect_old_installation_kept();
    EXPECT_TRUE(safety_backups().empty());
}

struct IniNameCase {
    const char* name;
    const char* key;
    const char* value;

    friend void PrintTo(const IniNameCase& c, std::ostream* out) { *out << c.name; }
};

class UnusableIniName : public RefusedInstall, public ::testing::WithParamInterface<IniNameCase> {};

TEST_P(UnusableIniName, IsRefusedBeforeConnecting) {
    ASSERT_NO_FATAL_FAILURE(start_server());
    write_ini(std::string("[database]\r\n") + GetParam().key + "=" + GetParam().value + "\r\n");
    start_installer();

    auto steps = install_steps(default_form());
    steps.insert(steps.begin() + 1, "status");
    steps.insert(steps.end(), {"message", "idle", "status", "log", "install-enabled", "close"});
    const DriverRun run = drive(steps);

    ASSERT_EQ(run.exit_code, 0) << run.output;
    const auto messages = observed(run, "message");
    ASSERT_EQ(messages.size(), 1u) << run.output;
    for (const std::string& named : {std::string("dbinstall.ini"), std::string(GetParam().key),
                                     std::string(GetParam().value)})
        EXPECT_NE(messages[0][1].find(named), std::string::npos) << "the message does not name " << named;
    const auto statuses = observed(run, "status");
    ASSERT_EQ(statuses.size(), 2u);
    EXPECT_EQ(statuses[1], statuses[0]) << "nothing may be announced";
    EXPECT_EQ(observed_once(run, "log"), "none");
    EXPECT_EQ(observed_once(run, "install-enabled"), "1");
    expect_server_unchanged();
}

INSTANTIATE_TEST_SUITE_P(
    Names, UnusableIniName,
    ::testing::Values(IniNameCase{"DatabaseNameWithAStatement", "databasename", "mirvox; DROP DATABASE master"},
                      IniNameCase{"DatabaseNameStartingWithADigit", "databasename", "1mirvox"},
                      IniNameCase{"LoginWithAQuote", "logid", "mir'vox"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
