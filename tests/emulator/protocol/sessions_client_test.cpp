// What an ODBC client (unixODBC and the FreeTDS driver) sees of the server's
// logins and of sessions the server ends: the reason a disabled login is
// refused, a connection that closes under it, and the version it announces.
#include "child_process.h"
#include "engine/text.h"
#include "odbc_session.h"

#include <gtest/gtest.h>

namespace emulator::testing {
namespace {

const std::u16string kSaPassword = EmulatorProcess::sa_password();

std::string utf8(const std::u16string& text) { return to_utf8(text); }

bool has_text(const std::vector<Diagnostic>& diagnostics, std::u16string_view text) {
    for (const Diagnostic& d : diagnostics)
        if (d.text.find(text) != std::u16string::npos) return true;
    return false;
}

// The server closed the connection: every statement fails from now on, with
// whatever the driver makes of the closed socket (FreeTDS 1.3.17 says
// "Unknown error", SQLSTATE HY000).
bool lost_connection(OdbcSession& session) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Outcome outcome = session.execute(u"select 1");
        if (!outcome.failed || !outcome.result_sets.empty()) return false;
    }
    return true;
}

TEST(SessionsClientTest, ADisabledLoginHearsWhy) {
    EmulatorProcess emulator;
    OdbcSession sa(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(sa.connected());
    EXPECT_FALSE(sa.execute(u"CREATE LOGIN till WITH PASSWORD = N'Till#2026', CHECK_POLICY = OFF").failed);
    EXPECT_FALSE(sa.execute(u"ALTER LOGIN till DISABLE").failed);
    OdbcSession till(emulator.port(), u"till", u"Till#2026");
    EXPECT_FALSE(till.connected());
    EXPECT_TRUE(has_text(till.connect_diagnostics(), u"Login failed for user 'till'. Reason: The account is disabled."))
        << (till.connect_diagnostics().empty() ? "" : utf8(till.connect_diagnostics().front().text));
}

TEST(SessionsClientTest, SessionsTheServerEndsLoseTheirConnection) {
    EmulatorProcess emulator;
    OdbcSession sa(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(sa.connected());
    EXPECT_FALSE(sa.execute(u"CREATE DATABASE mirvox").failed);
    OdbcSession inside(emulator.port(), u"sa", kSaPassword, u"mirvox");
    OdbcSession killed(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(inside.connected());
    ASSERT_TRUE(killed.connected());

    const Outcome single = sa.execute(u"ALTER DATABASE mirvox SET SINGLE_USER WITH ROLLBACK IMMEDIATE");
    EXPECT_FALSE(single.failed);
    EXPECT_TRUE(single.has_native(5060));
    EXPECT_TRUE(lost_connection(inside));
    OdbcSession refused(emulator.port(), u"sa", kSaPassword, u"mirvox");
    EXPECT_FALSE(refused.connected());

    const std::u16string spid = killed.first_value(u"SELECT @@SPID");
    EXPECT_FALSE(sa.execute(u"KILL " + spid).failed);
    EXPECT_TRUE(lost_connection(killed));
    // The holder drops the database no one else can enter.
    EXPECT_FALSE(sa.execute(u"DROP DATABASE mirvox").failed);
}

TEST(SessionsClientTest, TheClientSeesTheReleaseTheServerPlays) {
    EmulatorProcess emulator({"--product-version", "9.0.5000.0", "--edition", "express"});
    OdbcSession sa(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(sa.connected());
    EXPECT_EQ(sa.dbms_version(), u"09.00.5000");
    EXPECT_EQ(sa.first_value(u"SELECT CONVERT(nvarchar(128), SERVERPROPERTY('ProductVersion'))"), u"9.00.5000.00");
    EXPECT_EQ(sa.first_value(u"SELECT CONVERT(nvarchar(128), SERVERPROPERTY('Edition'))"), u"Express Edition (64-bit)");
    EXPECT_TRUE(sa.first_value(u"SELECT @@VERSION").starts_with(u"Microsoft SQL Server 2005 - 9.00.5000.00 (X64)"));
}

}  // namespace
}  // namespace emulator::testing
