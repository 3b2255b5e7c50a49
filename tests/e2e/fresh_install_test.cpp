// A first installation on a server without the database, once per store mode.
#include "install_test.h"

namespace e2e {
namespace {

using Messages = std::vector<std::vector<std::string>>;

struct StoreModeCase {
    const char* name;
    int button;
    StoreModeRow row;

    friend void PrintTo(const StoreModeCase& c, std::ostream* out) { *out << c.name; }
};

class FreshInstall : public InstallTest, public ::testing::WithParamInterface<StoreModeCase> {};

TEST_P(FreshInstall, CreatesTheDatabaseLoginStoreModeAndAlias) {
    start_server();
    start_installer();
    FormInput form = default_form();
    form.store_mode_button = GetParam().button;
    auto steps = install_steps(form);
    steps.insert(steps.end(), {"message", "status", "log", "install-enabled", "close"});

    const DriverRun run = drive(steps);

    ASSERT_EQ(run.exit_code, 0) << run.output;
    EXPECT_EQ(observed(run, "message"), (Messages{{"Korvena", "安装新数据库成功！"}}));
    EXPECT_EQ(observed_once(run, "status"), "安装新数据库成功！");
    EXPECT_EQ(observed_once(run, "log"), log_of(fresh_install_lines));
    EXPECT_EQ(observed_once(run, "install-enabled"), "0");
    EXPECT_TRUE(installer_->wait_for(std::chrono::seconds(10))) << "the program did not end after Exit";
    expect_installed("data", GetParam().row);
    expect_installer_disconnected();
}

INSTANTIATE_TEST_SUITE_P(StoreModes, FreshInstall,
                         ::testing::Values(StoreModeCase{"SingleStore", control::rb_1, {"单店", "0"}},
                                           StoreModeCase{"ChainHeadquarters", control::rb_2, {"总部", "1"}},
                                           StoreModeCase{"ChainBranch", control::rb_3, {"分店/配送中心", "2"}}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
