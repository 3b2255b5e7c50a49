// SINGLE_USER and MULTI_USER with their termination clauses, and KILL: which
// sessions the server ends, who may enter a single user's database, and what
// the others are told.
#include "engine_fixture.h"
#include "text.h"

#include <chrono>
#include <thread>

namespace emulator::testing {
namespace {

class UserAccessTest : public EngineTest {
protected:
    UserAccessTest() {
        admin_ = login_sa();
        ok(admin_, u"CREATE DATABASE mirvox ON PRIMARY (NAME = N'mirvox_data', FILENAME = N'D:\\data\\mirvox.mdf')");
    }

    // A sa session whose connection closing the test can see.
    int watched_session(const std::u16string& database, int& closed) {
        const int spid = login(u"sa", u"Secret#1", database);
        engine_->on_session_ended(spid, [&closed] { ++closed; });
        return spid;
    }

    // True when the session runs nothing more: its batch ends its connection.
    bool ended(int spid) {
        RecordingSink sink;
        return engine_->execute_batch(spid, u"select 1", sink) == BatchEnd::drop_connection && sink.dones.empty();
    }

    Value user_access() { return scalar(admin_, u"select user_access_desc from sys.databases where name = 'mirvox'"); }

    int admin_ = 0;
};

TEST_F(UserAccessTest, RollbackImmediateEndsTheOthersAndTheIssuerHoldsTheDatabase) {
    int closed = 0;
    const int inside = watched_session(u"mirvox", closed);
    const int elsewhere = watched_session(u"master", closed);
    const auto alter = ok(admin_, u"ALTER DATABASE mirvox SET SINGLE_USER WITH ROLLBACK IMMEDIATE");
    ASSERT_EQ(alter.message_numbers(), (std::vector<int32_t>{5060, 5060}));
    EXPECT_EQ(alter.messages[0].text, u"Nonqualified transactions are being rolled back. Estimated rollback completion: 0%.");
    EXPECT_EQ(alter.messages[0].state, 2);
    EXPECT_EQ(alter.messages[1].text, u"Nonqualified transactions are being rolled back. Estimated rollback completion: 100%.");
    EXPECT_EQ(alter.messages[1].severity, 0);
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(ended(inside));
    EXPECT_EQ(scalar(admin_, u"select count(*) from sysprocesses where spid = " + to_u16(inside)), Value(0));
    EXPECT_EQ(user_access(), Value(std::u16string(u"SINGLE_USER")));

    // The issuer holds it from master: everyone else stays out.
    const struct {
        std::u16string sql;
        std::vector<int32_t> numbers;
        uint8_t state;
    } refused[] = {
        {u"use mirvox", {924}, 1},
        {u"DROP DATABASE mirvox", {3702}, 4},
        {u"ALTER DATABASE mirvox SET MULTI_USER WITH ROLLBACK IMMEDIATE", {5064, 5069}, 1},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(utf8(r.sql));
        const auto sink = run(elsewhere, r.sql);
        EXPECT_EQ(sink.message_numbers(), r.numbers);
        EXPECT_EQ(sink.messages.at(0).state, r.state);
    }
    EXPECT_EQ(run(elsewhere, u"use mirvox").error_text(),
              u"Database 'mirvox' is already open and can only have one user at a time.");
    const auto refused_login = engine_->login({u"sa", u"Secret#1", u"mirvox", false});
    EXPECT_EQ(std::get<LoginRefused>(refused_login).errors.at(0).number, 4060);

    // When the holder leaves, the first session to enter holds it.
    engine_->close_session(admin_);
    ok(elsewhere, u"use mirvox");
    admin_ = login_sa();
    EXPECT_EQ(run(admin_, u"use mirvox").message_numbers(), std::vector<int32_t>{924});
    ok(elsewhere, u"use master");
    ok(elsewhere, u"ALTER DATABASE mirvox SET MULTI_USER");
    EXPECT_EQ(user_access(), Value(std::u16string(u"MULTI_USER")));
    ok(admin_, u"use mirvox");
    EXPECT_EQ(closed, 1);
}

TEST_F(UserAccessTest, TerminationClausesWaitRefuseOrEnd) {
    int closed = 0;
    int inside = watched_session(u"mirvox", closed);
    const auto no_wait = run(admin_, u"ALTER DATABASE mirvox SET SINGLE_USER WITH NO_WAIT");
    EXPECT_EQ(no_wait.message_numbers(), (std::vector<int32_t>{5070, 5069}));
    EXPECT_EQ(no_wait.error_text(), u"Database state cannot be changed while other users are using the database "
                                    u"'mirvox' ALTER DATABASE statement failed.");
    EXPECT_EQ(user_access(), Value(std::u16string(u"MULTI_USER")));

    // Without a clause the statement waits for the others to leave.
    std::thread leaver([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        engine_->close_session(inside);
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(ok(admin_, u"ALTER DATABASE mirvox SET SINGLE_USER").messages.empty());
    leaver.join();
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(250));
    ok(admin_, u"ALTER DATABASE mirvox SET MULTI_USER");

    // ROLLBACK AFTER waits its seconds, then ends who is left.
    inside = watched_session(u"mirvox", closed);
    const auto waited = std::chrono::steady_clock::now();
    const auto after = ok(admin_, u"ALTER DATABASE mirvox SET SINGLE_USER WITH ROLLBACK AFTER 1 SECONDS");
    EXPECT_EQ(after.message_numbers(), (std::vector<int32_t>{5060, 5060}));
    EXPECT_GE(std::chrono::steady_clock::now() - waited, std::chrono::milliseconds(950));
    EXPECT_TRUE(ended(inside));
    EXPECT_EQ(closed, 1);

    const auto master = run(admin_, u"ALTER DATABASE master SET SINGLE_USER WITH ROLLBACK IMMEDIATE");
    EXPECT_EQ(master.error_text(), u"Option 'SINGLE_USER' cannot be set in database 'master'.");
    EXPECT_EQ(run(admin_, u"ALTER DATABASE nosuch SET MULTI_USER").message_numbers(), (std::vector<int32_t>{5011, 5069}));
}

TEST_F(UserAccessTest, KillEndsAnotherSessionOnly) {
    int closed = 0;
    const int victim = watched_session(u"mirvox", closed);
    ok(admin_, u"sp_addlogin 'clerk', 'Clerk#1'");
    const int clerk = login(u"clerk", u"Clerk#1");
    const struct {
        int spid;
        std::u16string sql;
        int32_t number;
        std::u16string text;
    } refused[] = {
        {admin_, u"KILL " + to_u16(admin_), 6104, u"Cannot use KILL to kill your own process."},
        {admin_, u"KILL 12", 6107, u"Only user processes can be killed."},
        {admin_, u"KILL 999", 6106, u"Process ID 999 is not an active process ID."},
        {clerk, u"KILL " + to_u16(victim), 6102, u"User does not have permission to use the KILL statement."},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(utf8(r.sql));
        const auto sink = run(r.spid, r.sql);
        EXPECT_EQ(sink.message_numbers(), std::vector<int32_t>{r.number});
        EXPECT_EQ(sink.error_text(), r.text);
    }
    EXPECT_TRUE(ok(admin_, u"KILL " + to_u16(victim)).messages.empty());
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(ended(victim));
    // The database is free to drop once its only session is gone.
    ok(admin_, u"DROP DATABASE mirvox");
    EXPECT_EQ(run(admin_, u"KILL " + to_u16(victim)).message_numbers(), std::vector<int32_t>{6106});
}

TEST_F(UserAccessTest, ABackupKeepsTheUserAccessItWasTakenIn) {
    ok(admin_, u"ALTER DATABASE mirvox SET SINGLE_USER WITH ROLLBACK IMMEDIATE");
    ok(admin_, u"BACKUP DATABASE mirvox TO DISK = N'D:\\data\\safety.bak' WITH COPY_ONLY, INIT");
    const auto header = ok(admin_, u"RESTORE HEADERONLY FROM DISK = N'D:\\data\\safety.bak'").results.at(0);
    size_t single = 0;
    while (header.columns.at(single).name != u"IsSingleUser") ++single;
    EXPECT_EQ(header.rows.at(0).at(single), Value(1));
    ok(admin_, u"DROP DATABASE mirvox");
    ok(admin_, u"RESTORE DATABASE mirvox FROM DISK = N'D:\\data\\safety.bak'");
    EXPECT_EQ(user_access(), Value(std::u16string(u"SINGLE_USER")));
    ok(admin_, u"ALTER DATABASE mirvox SET MULTI_USER");
    EXPECT_EQ(user_access(), Value(std::u16string(u"MULTI_USER")));
}

}  // namespace
}  // namespace emulator::testing
