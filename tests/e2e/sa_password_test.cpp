// Administrator passwords holding the connection string's own characters
// reach the server as typed: they neither break the login nor add attributes.
#include "install_test.h"

namespace e2e {
namespace {

using Messages = std::vector<std::vector<std::string>>;

struct PasswordCase {
    const char* name;
    const char* password;

    friend void PrintTo(const PasswordCase& c, std::ostream* out) { *out << c.name; }
};

class AdministratorPassword : public InstallTest, public ::testing::WithParamInterface<PasswordCase> {};

TEST_P(AdministratorPassword, ConnectsAndInstalls) {
    sa_password_ = GetParam().password;
    ASSERT_NO_FATAL_FAILURE(start_server());
    ASSERT_TRUE(connect_as_sa(server_->port(), sa_password_)) << "the password must work for another FreeTDS client";
    start_installer();
    auto steps = install_steps(default_form());
    steps.insert(steps.end(), {"message", "close"});

    const DriverRun run = drive(steps);

    ASSERT_EQ(run.exit_code, 0) << run.output;
    EXPECT_EQ(observed(run, "message"), (Messages{{"Korvena", "安装新数据库成功！"}}));
}

INSTANTIATE_TEST_SUITE_P(Passwords, AdministratorPassword,
                         ::testing::Values(PasswordCase{"AttributeLike", "Pw1;UID=mirvox"},
                                           PasswordCase{"ClosingBrace", "Sa}Pw;1"},
                                           PasswordCase{"Braced", "{Sa;Pw}"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace e2e
