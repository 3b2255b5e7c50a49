// Windows authentication as FreeTDS on Linux does it (NTLM inside TDS's SSPI
// exchange, UID=DOMAIN\user), with and without Windows-only mode, and what
// the client and the error log see when a login is refused.
#include "child_process.h"
#include "odbc_expectations.h"
#include "odbc_session.h"
#include "raw_tds_client.h"
#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace emulator::testing {
namespace {

const std::u16string kSaPassword = EmulatorProcess::sa_password();
const std::u16string kAdministrator = u"STORE01\\Administrator";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The client is told only "Login failed"; the reason is in the error log.
void expect_refused(const OdbcSession& session, const std::u16string& user) {
    EXPECT_FALSE(session.connected());
    bool told = false;
    for (const Diagnostic& diagnostic : session.connect_diagnostics())
        told = told || (diagnostic.native == 18456 &&
                        diagnostic.text.ends_with(u"Login failed for user '" + user + u"'."));
    EXPECT_TRUE(told) << connect_text(session);
}

TEST(WindowsAuthenticationTest, WindowsLoginsLogInWithNtlmInEitherMode) {
    TemporaryFolder folder;
    std::ofstream(folder / "init.sql") << "CREATE DATABASE prepared\nGO\n";
    for (const bool windows_only : {false, true}) {
        SCOPED_TRACE(windows_only ? "Windows authentication mode" : "mixed mode");
        // The init script runs as sa, or as the Windows login where sa cannot log in.
        std::vector<std::string> arguments = {"--windows-login", "STORE01\\Administrator", "--init-sql",
                                              folder / "init.sql"};
        if (windows_only) arguments.push_back("--windows-auth-only");
        EmulatorProcess emulator(arguments);

        // The password is Windows' business: the server never sees it.
        OdbcSession windows(emulator.port(), u"store01\\administrator", u"any password");
        ASSERT_TRUE(windows.connected()) << connect_text(windows);
        const Outcome who = windows.execute(
            u"SELECT IS_SRVROLEMEMBER('sysadmin'), CONVERT(nvarchar(5), SERVERPROPERTY('IsIntegratedSecurityOnly'))");
        EXPECT_OK(who);
        ASSERT_EQ(who.result_sets.size(), 1u);
        EXPECT_EQ(who.result_sets[0], (Rows{{u"1", windows_only ? u"1" : u"0"}}));
        const Outcome scheme =
            windows.execute(u"SELECT auth_scheme FROM sys.dm_exec_connections WHERE session_id = @@SPID");
        ASSERT_EQ(scheme.result_sets.size(), 1u);
        EXPECT_EQ(scheme.result_sets[0], (Rows{{u"NTLM"}}));
        const Outcome login = windows.execute(u"SELECT isntname, sysadmin FROM master.dbo.syslogins WHERE name = '" +
                                              kAdministrator + u"'");
        ASSERT_EQ(login.result_sets.size(), 1u);
        EXPECT_EQ(login.result_sets[0], (Rows{{u"1", u"1"}}));
        EXPECT_EQ(windows.first_value(u"SELECT name FROM master.dbo.sysdatabases WHERE name = 'prepared'"),
                  u"prepared");

        OdbcSession sa(emulator.port(), u"sa", kSaPassword);
        if (!windows_only) {
            EXPECT_TRUE(sa.connected()) << connect_text(sa);
            continue;
        }
        expect_refused(sa, u"sa");
        const std::string log = emulator.error_output();
        EXPECT_TRUE(contains(log, " Logon       Error: 18456, Severity: 14, State: 58.\n")) << log;
        EXPECT_TRUE(contains(log, " Logon       Login failed for user 'sa'. Reason: An attempt to login using SQL "
                                  "authentication failed. Server is configured for Windows authentication only. "
                                  "[CLIENT: 127.0.0.1]\n"))
            << log;
    }
}

TEST(WindowsAuthenticationTest, AccountsWithoutAWindowsLoginAreRefused) {
    EmulatorProcess emulator({"--windows-login", "STORE01\\Administrator"});

    OdbcSession stranger(emulator.port(), u"STORE01\\Guest", u"any password");
    expect_refused(stranger, u"STORE01\\Guest");

    // A Windows account's name with SQL Server authentication: a plain LOGIN7.
    RawTdsClient client(emulator.port());
    const auto reply = client.login(kAdministrator, u"any password");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->message_numbers(), std::vector<int32_t>{18456});
    EXPECT_EQ(reply->find(0xAA)->severity, 14);
    EXPECT_EQ(reply->find(0xAA)->text, u"Login failed for user 'STORE01\\Administrator'.");

    const std::string log = emulator.error_output();
    EXPECT_TRUE(contains(log, "Error: 18456, Severity: 14, State: 5.\n")) << log;
    EXPECT_TRUE(contains(log, "Login failed for user 'STORE01\\Guest'. Reason: Could not find a login matching the "
                              "name provided."))
        << log;
    EXPECT_TRUE(contains(log, "Error: 18456, Severity: 14, State: 6.\n")) << log;
    EXPECT_TRUE(contains(log, "Login failed for user 'STORE01\\Administrator'. Reason: Attempting to use an NT "
                              "account name with SQL Server Authentication."))
        << log;
}

}  // namespace
}  // namespace emulator::testing
