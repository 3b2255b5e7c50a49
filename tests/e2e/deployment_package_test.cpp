// The Intune / Configuration Manager package of deploy/intune: its install
// command run by cmd.exe as those tools run it, with the password from the
// package and the arguments of an assignment.
#include "install_test.h"

namespace e2e {
namespace {

const std::filesystem::path intune_folder = std::filesystem::path(KORVENA_DEPLOY_FOLDER) / "intune";

class DeploymentPackageTest : public InstallTest {
protected:
    // The package as IntuneWinAppUtil would wrap it, in this test's folder.
    void make_package(const std::optional<std::string>& password_file) {
        const auto package = host_path("package");
        std::filesystem::create_directories(package);
        for (const auto& [from, to] : {std::pair{intune_folder / "install.cmd", package / "install.cmd"},
                                       std::pair{std::filesystem::path(KORVENA_DBINSTALL_COM), package / "dbinstall.com"},
                                       std::pair{host_path("template/mirvox.dat"), package / "mirvox.dat"}})
            std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::remove(package / "sa-password.txt");
        if (password_file) write_file(package / "sa-password.txt", *password_file);
    }

    // cmd.exe /c install.cmd <assignment's arguments>, from another folder,
    // with no password in the environment.
    ProgramResult run_install_command(const std::vector<std::string>& arguments) {
        std::vector<std::string> command{"/c", windows_path("package\\install.cmd")};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return wine_.run_command_line_of("cmd", host_path("work"), command, "", std::chrono::seconds(120));
    }

    std::filesystem::path result_file() const {
        return wine_.drive_c() / "ProgramData" / "Korvena" / "dbinstall-result.json";
    }
};

TEST_F(DeploymentPackageTest, InstallsWithThePackagedPasswordThenDeclinesToReplaceTheDatabase) {
    // Characters cmd.exe would act on, were the password ever expanded; the
    // line ended as Notepad ends it (Wine's set /p loses the last character
    // of a file without a line end).
    sa_password_ = "Sh0p&Till^50%OFF!";
    ASSERT_NO_FATAL_FAILURE(start_server());
    make_package(sa_password_ + "\r\n");
    std::filesystem::remove(result_file());
    const std::vector<std::string> assignment{"--server", server_->address(), "--data-path", windows_path("data"),
                                              "--store-mode", "branch"};

    const ProgramResult installed = run_install_command(assignment);
    EXPECT_EQ(installed.exit_code, 0) << installed.output << installed.errors;
    EXPECT_EQ(installed.output.find(sa_password_), std::string::npos);
    expect_installed("data", {"分店/配送中心", "2"});
    const std::string first_result = read_file(result_file());
    EXPECT_NE(first_result.find("\"outcome\": \"completed\""), std::string::npos) << first_result;
    EXPECT_EQ(first_result.find(sa_password_), std::string::npos);

    // The detection rule already finds it; a run all the same must not touch it.
    const ProgramResult again = run_install_command(assignment);
    EXPECT_EQ(again.exit_code, 5) << again.output << again.errors;
    EXPECT_NE(read_file(result_file()).find("\"outcome\": \"declined\""), std::string::npos);
}

TEST_F(DeploymentPackageTest, APackageWithoutItsPasswordEndsAsAUsageError) {
    ASSERT_NO_FATAL_FAILURE(start_server());
    for (const std::optional<std::string>& password_file : {std::optional<std::string>{}, std::optional<std::string>{""}}) {
        make_package(password_file);
        const ProgramResult run = run_install_command({"--store-mode", "single"});
        EXPECT_EQ(run.exit_code, 2);
        EXPECT_NE(run.errors.find("install.cmd: no password in \"" + windows_path("package") + "\\sa-password.txt\""),
                  std::string::npos)
            << run.errors;
    }
}

}  // namespace
}  // namespace e2e
