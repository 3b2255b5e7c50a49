// The stand-in through unixODBC and the FreeTDS driver, called the way the
// installer calls them: logins, rows, errors, progress messages, the catalog
// statements, concurrent sessions, persistence and the fault rules.
#include "child_process.h"
#include "odbc_expectations.h"
#include "odbc_session.h"
#include "engine/text.h"
#include "temporary_folder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace emulator::testing {
namespace {

const std::u16string kSaPassword = EmulatorProcess::sa_password();

std::u16string database_list(OdbcSession& session) {
    const Outcome listed = session.execute(u"SELECT name FROM master.dbo.sysdatabases");
    std::u16string names;
    if (!listed.result_sets.empty())
        for (const auto& row : listed.result_sets[0]) names += row.at(0) + u";";
    return names;
}

TEST(OdbcClientTest, LogsInRunsStatementsAndReportsServerErrors) {
    EmulatorProcess emulator;
    OdbcSession session(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(session.connected()) << utf8(
        session.connect_diagnostics().empty() ? u"" : session.connect_diagnostics()[0].text);

    const Outcome found = session.execute(u"SELECT name FROM master.dbo.sysdatabases WHERE name = 'master'");
    EXPECT_OK(found);
    ASSERT_EQ(found.result_sets.size(), 1u);
    EXPECT_EQ(found.result_sets[0], (Rows{{u"master"}}));

    const Outcome missing = session.execute(u"SELECT * FROM no_such_table");
    EXPECT_TRUE(missing.failed);
    ASSERT_TRUE(missing.has_native(208));
    EXPECT_NE(missing.all_text().find(u"Invalid object name 'no_such_table'."), std::u16string::npos);

    const Outcome syntax = session.execute(u"SELECT FROM WHERE");
    EXPECT_TRUE(syntax.failed);
    EXPECT_TRUE(syntax.has_native(102)) << utf8(syntax.all_text());

    // Longer than nvarchar(4000): carried as nvarchar(max), every character intact.
    const std::u16string long_text = std::u16string(3000, u'x') + std::u16string(3000, u'店');
    const Outcome long_value = session.execute(u"SELECT N'" + long_text + u"' AS v");
    EXPECT_OK(long_value);
    ASSERT_EQ(long_value.result_sets.size(), 1u);
    EXPECT_EQ(long_value.result_sets[0], (Rows{{long_text}}));

    // A batch that only sets options: no rows, no count, no message.
    EXPECT_OK(session.execute(u"SET QUOTED_IDENTIFIER OFF"));
}

TEST(OdbcClientTest, RefusedLoginsCarryTheServersNumberAndText) {
    EmulatorProcess emulator;
    OdbcSession wrong_password(emulator.port(), u"sa", u"not-the-password");
    EXPECT_FALSE(wrong_password.connected());
    bool saw_18456 = false;
    for (const Diagnostic& d : wrong_password.connect_diagnostics())
        if (d.native == 18456 && d.text.find(u"Login failed for user 'sa'.") != std::u16string::npos) saw_18456 = true;
    EXPECT_TRUE(saw_18456);

    OdbcSession missing_database(emulator.port(), u"sa", kSaPassword, u"no_such_db");
    EXPECT_FALSE(missing_database.connected());
    bool saw_4060 = false;
    for (const Diagnostic& d : missing_database.connect_diagnostics()) saw_4060 = saw_4060 || d.native == 4060;
    EXPECT_TRUE(saw_4060);
}

TEST(OdbcClientTest, SingleRowQueryClosedEarlyLeavesTheConnectionUsable) {
    // FreeTDS sends ATTENTION when a cursor is closed with rows unread; an
    // unanswered ATTENTION would hang the next statement.
    EmulatorProcess emulator;
    OdbcSession session(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(session.connected());
    EXPECT_OK(session.execute(u"CREATE DATABASE many_rows"));
    EXPECT_OK(session.execute(u"CREATE TABLE many_rows.dbo.t (n int)"));
    EXPECT_OK(session.execute(u"INSERT INTO many_rows.dbo.t VALUES (1), (2), (3)"));
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(session.first_value(u"SELECT name FROM master.dbo.sysdatabases WHERE name = 'master'"), u"master");
        EXPECT_EQ(session.first_value(u"SELECT n FROM many_rows.dbo.t"), u"1");
        const Outcome next = session.execute(u"SELECT COUNT(*) FROM many_rows.dbo.t");
        EXPECT_OK(next);
        ASSERT_EQ(next.result_sets.size(), 1u);
        EXPECT_EQ(next.result_sets[0], (Rows{{u"3"}}));
    }
}

class CatalogThroughOdbcTest : public ::testing::Test {
protected:
    TemporaryFolder drive_c;
    EmulatorProcess emulator{{"--drive", "C=" + drive_c.path().string()}};
};

TEST_F(CatalogThroughOdbcTest, BackupAndRestoreUnderAnotherNameKeepChineseText) {
    std::filesystem::create_directories(drive_c.path() / "data");
    std::filesystem::create_directories(drive_c.path() / "backup");
    OdbcSession session(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(session.connected());
    EXPECT_OK(
        session.execute(u"CREATE DATABASE source_db ON (NAME = mirvox_data, FILENAME = 'C:\\data\\source_Data.MDF') "
                        u"LOG ON (NAME = mirvox_log, FILENAME = 'C:\\data\\source_Log.LDF')"));
    EXPECT_TRUE(std::filesystem::exists(drive_c.path() / "data" / "source_Data.MDF"));
    EXPECT_OK(
        session.execute(u"CREATE TABLE source_db.dbo.t_sys_system (sys_var_id varchar(30) NOT NULL, "
                        u"sys_var_name nvarchar(60) NULL, sys_var_value varchar(200) NULL)"));
    EXPECT_OK(
        session.execute(u"INSERT INTO source_db.dbo.t_sys_system (sys_var_id, sys_var_name, sys_var_value) "
                        u"VALUES ('Is_Distributed', N'连锁模式', '1')"));
    EXPECT_OK(session.execute(u"BACKUP DATABASE source_db TO DISK = N'C:\\backup\\source.bak'"));

    const Outcome restore = session.execute(
        u"RESTORE DATABASE copy_db FROM  DISK = N'C:\\backup\\source.bak' WITH  FILE = 1,  NOUNLOAD ,  STATS = 10,  "
        u"RECOVERY ,  REPLACE ,MOVE 'mirvox_log' TO N'C:\\data\\copy_db_Log.LDF',MOVE 'mirvox_data' TO "
        u"N'C:\\data\\copy_db_Data.MDF'");
    EXPECT_OK(restore);
    const std::u16string progress = restore.all_text();
    EXPECT_NE(progress.find(u"10 percent processed."), std::u16string::npos) << utf8(progress);
    EXPECT_NE(progress.find(u"100 percent processed."), std::u16string::npos);
    EXPECT_NE(progress.find(u"RESTORE DATABASE successfully processed"), std::u16string::npos);
    EXPECT_TRUE(restore.has_native(3211));
    EXPECT_TRUE(std::filesystem::exists(drive_c.path() / "data" / "copy_db_Data.MDF"));
    EXPECT_TRUE(std::filesystem::exists(drive_c.path() / "data" / "copy_db_Log.LDF"));

    const Outcome read_back = session.execute(
        u"SELECT sys_var_name, sys_var_value FROM copy_db.dbo.t_sys_system "
        u"WHERE sys_var_id = 'Is_Distributed'");
    EXPECT_OK(read_back);
    ASSERT_EQ(read_back.result_sets.size(), 1u);
    EXPECT_EQ(read_back.result_sets[0], (Rows{{u"连锁模式", u"1"}}));

    const Outcome wrong_logical = session.execute(
        u"RESTORE DATABASE other_db FROM DISK = N'C:\\backup\\source.bak' WITH MOVE 'nope' TO N'C:\\data\\o.mdf'");
    EXPECT_TRUE(wrong_logical.failed);
    EXPECT_TRUE(wrong_logical.has_native(3234));
    EXPECT_TRUE(wrong_logical.has_native(3013));
}

TEST_F(CatalogThroughOdbcTest, OneSessionsUseKeepsAnotherFromDroppingTheDatabase) {
    OdbcSession owner(emulator.port(), u"sa", kSaPassword);
    OdbcSession dropper(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(owner.connected() && dropper.connected());
    EXPECT_OK(owner.execute(u"CREATE DATABASE shared_db"));
    EXPECT_OK(owner.execute(u"USE shared_db"));

    const Outcome refused = dropper.execute(u"DROP DATABASE shared_db");
    EXPECT_TRUE(refused.failed);
    ASSERT_TRUE(refused.has_native(3702));
    EXPECT_NE(refused.all_text().find(u"Cannot drop database \"shared_db\" because it is currently in use."),
              std::u16string::npos);

    EXPECT_OK(owner.execute(u"USE master"));
    EXPECT_OK(dropper.execute(u"DROP DATABASE shared_db"));
    EXPECT_EQ(database_list(dropper).find(u"shared_db"), std::u16string::npos);
}

TEST(PersistenceTest, CatalogSurvivesARestartWithTheSameStateFolder) {
    TemporaryFolder state;
    {
        EmulatorProcess first({"--state", state.path().string()});
        OdbcSession session(first.port(), u"sa", kSaPassword);
        ASSERT_TRUE(session.connected());
        EXPECT_OK(session.execute(u"CREATE DATABASE kept_db"));
        EXPECT_OK(session.execute(u"EXEC sp_addlogin 'kept_login', 'Kept-Pw1', 'kept_db'"));
        first.stop(SIGINT);
    }
    EmulatorProcess second({"--state", state.path().string()});
    OdbcSession session(second.port(), u"sa", kSaPassword);
    ASSERT_TRUE(session.connected());
    EXPECT_NE(database_list(session).find(u"kept_db;"), std::u16string::npos);
    OdbcSession kept(second.port(), u"kept_login", u"Kept-Pw1");
    EXPECT_TRUE(kept.connected());
}

TEST(PersistenceTest, WithoutAStateFolderTheTemporaryOneIsRemovedAtExit) {
    TemporaryFolder temp_root;
    setenv("TMPDIR", temp_root.path().c_str(), 1);
    {
        EmulatorProcess emulator;
        OdbcSession session(emulator.port(), u"sa", kSaPassword);
        ASSERT_TRUE(session.connected());
        EXPECT_OK(session.execute(u"CREATE DATABASE scratch_db"));
        EXPECT_FALSE(std::filesystem::is_empty(temp_root.path()));
    }
    unsetenv("TMPDIR");
    EXPECT_TRUE(std::filesystem::is_empty(temp_root.path()));
}

TEST(InitScriptProcessTest, RunsBeforeListeningAndStopsTheStartOnAnError) {
    TemporaryFolder folder;
    const std::string good = folder / "good.sql";
    std::ofstream(good) << "CREATE DATABASE from_script\ngo\nCREATE TABLE from_script.dbo.t (v nvarchar(10))\n GO \n"
                           "INSERT INTO from_script.dbo.t VALUES (N'门店')\n";
    {
        EmulatorProcess emulator({"--init-sql", good});
        OdbcSession session(emulator.port(), u"sa", kSaPassword);
        ASSERT_TRUE(session.connected());
        const Outcome rows = session.execute(u"SELECT v FROM from_script.dbo.t");
        ASSERT_EQ(rows.result_sets.size(), 1u);
        EXPECT_EQ(rows.result_sets[0], (Rows{{u"门店"}}));
    }
    const std::string bad = folder / "bad.sql";
    std::ofstream(bad) << "CREATE DATABASE twice\nGO\nCREATE DATABASE twice\nGO\n";
    const ProgramResult failed =
        run_program({emulator_binary().string(), "--sa-password", "pw", "--listen", "127.0.0.1:0", "--init-sql", bad});
    EXPECT_NE(failed.exit_code, 0);
    EXPECT_EQ(failed.out.find("listening on"), std::string::npos);
    EXPECT_NE(failed.err.find("Database 'twice' already exists. Choose a different database name."), std::string::npos)
        << failed.err;
}

TEST(CommandLineProcessTest, RefusesNonLoopbackAndBadUsage) {
    const ProgramResult remote =
        run_program({emulator_binary().string(), "--sa-password", "pw", "--listen", "10.0.0.1:0"});
    EXPECT_NE(remote.exit_code, 0);
    EXPECT_NE(remote.err.find("loopback"), std::string::npos) << remote.err;
    EXPECT_TRUE(remote.out.empty());

    const ProgramResult usage = run_program({emulator_binary().string(), "--listen", "127.0.0.1:0"});
    EXPECT_EQ(usage.exit_code, 2);
    EXPECT_NE(usage.err.find("--sa-password"), std::string::npos);
    EXPECT_NE(usage.err.find("usage:"), std::string::npos);
}

TEST(FaultRuleProcessTest, FailDropAndDelayActOnTheMatchingStatement) {
    EmulatorProcess emulator({"--fault", "fail:CREATE DATABASE doomed:5123", "--fault", "drop:DROP DATABASE cut_db",
                              "--fault", "delay:CREATE DATABASE slow_db:1200", "--fault",
                              "drop-after:CREATE DATABASE done_db"});
    OdbcSession session(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(session.connected());

    const Outcome failed = session.execute(u"CREATE DATABASE doomed");
    EXPECT_TRUE(failed.failed);
    EXPECT_TRUE(failed.has_native(5123));
    EXPECT_EQ(database_list(session).find(u"doomed"), std::u16string::npos);

    const auto started = std::chrono::steady_clock::now();
    EXPECT_OK(session.execute(u"CREATE DATABASE slow_db"));
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(1200));

    EXPECT_OK(session.execute(u"CREATE DATABASE cut_db"));
    const Outcome dropped = session.execute(u"DROP DATABASE cut_db");
    EXPECT_TRUE(dropped.failed);
    std::string states;
    for (const Diagnostic& d : dropped.diagnostics) states += d.sqlstate + " ";
    EXPECT_NE(dropped.all_text().find(u"Unexpected EOF from the server"), std::u16string::npos) << states;

    // Other connections are unaffected.
    OdbcSession other(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(other.connected());
    EXPECT_NE(database_list(other).find(u"cut_db;"), std::u16string::npos);

    // The answer is lost after the server did the work.
    const Outcome lost = other.execute(u"CREATE DATABASE done_db");
    EXPECT_TRUE(lost.failed);
    EXPECT_NE(lost.all_text().find(u"Unexpected EOF from the server"), std::u16string::npos) << utf8(lost.all_text());
    OdbcSession third(emulator.port(), u"sa", kSaPassword);
    ASSERT_TRUE(third.connected());
    EXPECT_NE(database_list(third).find(u"done_db;"), std::u16string::npos);
}

TEST(FaultRuleProcessTest, HangLoginEndsAtTheClientsLoginTimeout) {
    EmulatorProcess emulator({"--fault", "hang-login"});
    const auto started = std::chrono::steady_clock::now();
    OdbcSession session(emulator.port(), u"sa", kSaPassword, u"master", 2);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_FALSE(session.connected());
    EXPECT_GE(waited, std::chrono::milliseconds(1500));
    bool timeout_reported = false;
    for (const Diagnostic& d : session.connect_diagnostics())
        timeout_reported = timeout_reported || d.sqlstate == "HYT00" || d.sqlstate.starts_with("08");
    EXPECT_TRUE(timeout_reported);
}

}  // namespace
}  // namespace emulator::testing
