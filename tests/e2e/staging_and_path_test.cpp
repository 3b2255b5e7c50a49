// Installs that succeed despite what is on the disk: a read-only staging file
// left by an earlier run, and a data folder whose name holds a single quote.
#include "install_test.h"

#include <fstream>

namespace e2e {
namespace {

using Messages = std::vector<std::vector<std::string>>;

class InstallOnDisk : public InstallTest {
protected:
    void install_and_expect_success(const FormInput& form) {
        auto steps = install_steps(form);
        steps.insert(steps.end(), {"message", "close"});
        const DriverRun run = drive(steps);
        ASSERT_EQ(run.exit_code, 0) << run.output;
        EXPECT_EQ(observed(run, "message"), (Messages{{"Korvena", "安装新数据库成功！"}}));
    }
};

TEST_F(InstallOnDisk, ReadOnlyLeftoverStagingFileIsReplaced) {
    const auto leftover = wine_.drive_c() / staging_file;
    std::ofstream(leftover) << "left by an earlier, failed run";
    std::filesystem::permissions(leftover, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                               std::filesystem::perms::others_read);
    ASSERT_NO_FATAL_FAILURE(start_server());
    start_installer();

    install_and_expect_success(default_form());

    expect_installed("data", {"单店", "0"});
}

TEST_F(InstallOnDisk, DataFolderWithASingleQuote) {
    std::filesystem::create_directories(host_path("O'Brien/data"));
    ASSERT_NO_FATAL_FAILURE(start_server());
    start_installer();
    FormInput form = default_form();
    form.data_path = windows_path("O'Brien/data");

    install_and_expect_success(form);

    expect_installed("O'Brien/data", {"单店", "0"});
}

}  // namespace
}  // namespace e2e
