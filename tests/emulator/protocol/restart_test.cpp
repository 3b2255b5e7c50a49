// "The SQL Server service restarted": a server stopped and started again on
// its state folder and port that is still starting up for a while, and a
// stop asked for through the stop file.
#include "child_process.h"
#include "odbc_expectations.h"
#include "odbc_session.h"
#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

namespace emulator::testing {
namespace {

const std::u16string kSaPassword = EmulatorProcess::sa_password();

bool has_database(OdbcSession& session, const std::u16string& name) {
    const Outcome found = session.execute(u"SELECT name FROM master.dbo.sysdatabases WHERE name = '" + name + u"'");
    return !found.result_sets.empty() && found.result_sets[0].size() == 1;
}

TEST(RestartTest, AServerStartedAgainOnItsStateAndPortServesAfterStartingUp) {
    TemporaryFolder state;
    uint16_t port = 0;
    {
        EmulatorProcess first({"--state", state.path().string()});
        port = first.port();
        OdbcSession session(port, u"sa", kSaPassword);
        ASSERT_TRUE(session.connected()) << connect_text(session);
        EXPECT_OK(session.execute(u"CREATE DATABASE survivor"));
    }

    const auto started = std::chrono::steady_clock::now();
    EmulatorProcess again({"--listen", "127.0.0.1:" + std::to_string(port), "--state", state.path().string(),
                           "--startup-delay", "2"});
    ASSERT_EQ(again.port(), port);
    OdbcSession early(port, u"sa", kSaPassword, u"master", 5);
    EXPECT_FALSE(early.connected());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2)) << "the test came too late";
    const std::string log = again.error_output();
    EXPECT_NE(log.find(" Logon       Error: 17187, Severity: 16, State: 1.\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" Logon       SQL Server is not ready to accept new client connections. Wait a few minutes "
                       "before trying again."),
              std::string::npos)
        << log;

    // The installer's way: try again with growing waits.
    std::unique_ptr<OdbcSession> late;
    for (auto wait = std::chrono::milliseconds(250); !(late && late->connected()); wait *= 2) {
        ASSERT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30)) << "it never got ready";
        std::this_thread::sleep_for(wait);
        late = std::make_unique<OdbcSession>(port, u"sa", kSaPassword, u"master", 5);
    }
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_TRUE(has_database(*late, u"survivor"));
}

TEST(RestartTest, TheStopFileStopsTheServerWithItsStateSaved) {
    TemporaryFolder folder;
    const std::string stop_file = folder / "stop";
    std::ofstream(stop_file) << "left by an earlier run";  // must not stop the new one
    const std::vector<std::string> arguments = {"--state", folder / "state", "--stop-file", stop_file};
    {
        EmulatorProcess emulator(arguments);
        OdbcSession session(emulator.port(), u"sa", kSaPassword);
        ASSERT_TRUE(session.connected()) << connect_text(session);
        EXPECT_OK(session.execute(u"CREATE DATABASE saved"));

        std::ofstream(stop_file) << "";
        EXPECT_TRUE(emulator.wait_for_exit(std::chrono::seconds(10)));
        EXPECT_FALSE(std::filesystem::exists(stop_file)) << "the server removes the file when it is done";
    }
    EmulatorProcess again(arguments);
    OdbcSession session(again.port(), u"sa", kSaPassword);
    ASSERT_TRUE(session.connected()) << connect_text(session);
    EXPECT_TRUE(has_database(session, u"saved"));
}

}  // namespace
}  // namespace emulator::testing
