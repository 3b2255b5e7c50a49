// The shop's own login after a rollback, and a template from a later build
// of the server's own release.
#include "install_test.h"
#include "template_rewrite.h"

#include <cctype>

namespace e2e {
namespace {

// What makes a login itself: the users of the old database find it by its
// SID, the tills log in with its password.
constexpr char login_identity[] =
    "select sid, password_hash, default_database_name, is_disabled, is_policy_checked, is_expiration_checked "
    "from master.sys.sql_logins where name = 'mirvox'";

// The shop changed the earlier install's login: its own password, no
// sysadmin (and with it the password policy sp_addlogin gives), and a
// user of its own in the old database.
TEST_F(InstallTest, AFailureAfterTheDropPutsTheShopsOwnLoginBackExactly) {
    ASSERT_NO_FATAL_FAILURE(start_server({.old_database = true,
                                          .faults = {"fail:mirvox.dat' WITH:3241"},
                                          .script = "ALTER LOGIN mirvox WITH PASSWORD = 'Till-Pw9'\nGO\n"
                                                    "EXEC sp_dropsrvrolemember 'mirvox', 'sysadmin'\nGO\n"
                                                    "USE mirvox\nCREATE USER till FOR LOGIN mirvox\nGO\n"}));
    const std::vector<Row> before = rows(login_identity);
    ASSERT_EQ(before.size(), 1u);

    const ProgramResult failed = install_unattended({"--drop-existing"});

    ASSERT_EQ(failed.exit_code, 1) << failed.output << failed.errors;
    EXPECT_NE(failed.output.find("重新建立登录名 mirvox\n"), std::string::npos) << failed.output;
    EXPECT_EQ(rows(login_identity), before);
    EXPECT_EQ(rows("select sysadmin from master.dbo.syslogins where name = 'mirvox'"), std::vector<Row>{{"0"}});
    EXPECT_EQ(rows("select sale_no, note, amount from mirvox.dbo.t_sale"), std::vector<Row>{old_sale});
    // The hash that makes the login again is as secret as the password.
    const std::string log = read_file(wine_.drive_c() / "ProgramData" / "Korvena" / "dbinstall.log");
    EXPECT_NE(log.find("HASHED"), std::string::npos);
    std::string hash = before[0][1];
    for (char& c : hash) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ASSERT_GT(hash.size(), 16u);
    EXPECT_EQ(log.find(hash), std::string::npos) << "the password hash reached the log";

    // As the tills do: the old password, into the old database, as its user.
    auto connected = CatalogClient::connect(server_->port(), "mirvox", "Till-Pw9");
    auto* till = std::get_if<std::unique_ptr<CatalogClient>>(&connected);
    ASSERT_TRUE(till) << std::get<SqlError>(connected).text;
    EXPECT_EQ((*till)->execute("USE mirvox"), std::nullopt);
    const auto user = (*till)->query("SELECT USER_NAME()");
    ASSERT_TRUE(std::holds_alternative<std::vector<Row>>(user)) << std::get<SqlError>(user).text;
    EXPECT_EQ(std::get<std::vector<Row>>(user), std::vector<Row>{{"till"}});
}

// The database version is fixed within a release: a cumulative update's
// backup restores on the release's first build.
TEST_F(InstallTest, ATemplateFromALaterBuildOfTheSameReleaseInstalls) {
    ASSERT_NO_FATAL_FAILURE(start_server());
    rewrite_template(host_path("template/mirvox.dat"), host_path("template/cu.dat"),
                     [](emulator::BackupDescription& backup) { backup.server_version = {15, 0, 4123}; });

    const ProgramResult result = install_unattended({"--template", windows_path("template/cu.dat")});

    EXPECT_EQ(result.exit_code, 0) << result.output << result.errors;
    expect_installed("data", {"单店", "0"});
}

}  // namespace
}  // namespace e2e
