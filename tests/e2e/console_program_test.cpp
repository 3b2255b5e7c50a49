// dbinstall.com, the console build that scripts call: it installs and ends
// with the same statuses and text as dbinstall.exe's command line, and
// without a command-line mode it opens dbinstall.exe's window and returns.
#include "install_test.h"

namespace e2e {
namespace {

constexpr auto run_timeout = std::chrono::seconds(120);

class ConsoleProgramTest : public InstallTest {
protected:
    ProgramResult run_com(const std::vector<std::string>& arguments, const std::string& password) {
        return wine_.run_command_line_of(KORVENA_DBINSTALL_COM, host_path("work"), arguments, password, run_timeout);
    }
    ProgramResult run_exe(const std::vector<std::string>& arguments, const std::string& password) {
        return wine_.run_command_line(host_path("work"), arguments, password, run_timeout);
    }
    std::vector<std::string> install_arguments(const std::string& template_file) {
        return {"--unattended", "--server", server_->address(), "--data-path", windows_path("data"),
                "--template", windows_path(template_file)};
    }
};

TEST_F(ConsoleProgramTest, InstallsAndReportsOnItsOwnStreams) {
    start_server();
    const ProgramResult result = run_com(install_arguments("template/mirvox.dat"), sa_password_);
    EXPECT_EQ(result.exit_code, 0) << result.errors;
    EXPECT_EQ(result.output.rfind("开始安装系统数据库...\n", 0), 0u) << result.output;
    EXPECT_NE(result.output.find("\n安装新数据库成功！\n"), std::string::npos) << result.output;
    EXPECT_EQ(result.errors, "Korvena: 安装新数据库成功！\n");
    expect_installed("data", {"单店", "0"});
}

TEST_F(ConsoleProgramTest, EndsWithTheSameStatusAndTextAsTheWindowProgram) {
    start_server();
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        std::string password;
        int status;
    } cases[] = {
        {"usage error", {"--unattended", "--password", "x"}, sa_password_, 2},
        {"missing template", install_arguments("template/missing.dat"), sa_password_, 3},
        {"wrong password", install_arguments("template/mirvox.dat"), "Not-the;password", 12},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        const ProgramResult through_com = run_com(row.arguments, row.password);
        const ProgramResult through_exe = run_exe(row.arguments, row.password);
        EXPECT_EQ(through_com.exit_code, row.status) << through_com.errors;
        EXPECT_EQ(through_exe.exit_code, row.status) << through_exe.errors;
        EXPECT_EQ(through_com.output, through_exe.output);
        EXPECT_EQ(through_com.errors, through_exe.errors);
        EXPECT_FALSE(through_com.errors.empty());
    }
    EXPECT_TRUE(rows("select name from master.dbo.sysdatabases where name = 'mirvox'").empty());
}

TEST_F(ConsoleProgramTest, BothProgramsPrintTheProjectVersion) {
    for (const ProgramResult& result : {run_com({"--version"}, ""), run_exe({"--version"}, "")}) {
        EXPECT_EQ(result.exit_code, 0);
        EXPECT_EQ(result.output, std::string("dbinstall ") + KORVENA_VERSION + "\n");
        EXPECT_EQ(result.errors, "");
    }
}

TEST_F(ConsoleProgramTest, WithoutACommandLineModeItOpensTheWindowAndDoesNotWait) {
    // It returns while the window it started is still open.
    const ProgramResult result = run_com({"/S"}, "");
    EXPECT_EQ(result.exit_code, 0) << result.errors;
    EXPECT_EQ(result.output + result.errors, "");

    const DriverRun window = drive({"wait-main", "close"});
    EXPECT_EQ(window.exit_code, 0) << window.output;
    if (window.exit_code != 0) wine_.kill_program("dbinstall.exe");
}

TEST_F(ConsoleProgramTest, WithoutTheWindowProgramBesideItSaysWhyAndFails) {
    const auto alone = host_path("alone");
    std::filesystem::create_directories(alone);
    std::filesystem::copy_file(KORVENA_DBINSTALL_COM, alone / "dbinstall.com");

    const ProgramResult result =
        wine_.run_command_line_of(alone / "dbinstall.com", host_path("work"), {}, "", run_timeout);
    EXPECT_EQ(result.exit_code, 9);
    EXPECT_EQ(result.output, "");
    const std::string expected_start = "dbinstall: cannot start " + windows_path("alone") + "\\dbinstall.exe: ";
    EXPECT_EQ(result.errors.rfind(expected_start, 0), 0u) << result.errors;
    EXPECT_GT(result.errors.size(), expected_start.size() + 1) << "the system's reason is missing";
}

}  // namespace
}  // namespace e2e
