// Fault rules answer chosen statements with real messages, drop the
// connection or delay the answer.
#include "engine_fixture.h"

#include <thread>

namespace emulator::testing {
namespace {

class FaultRulesTest : public EngineTest {
protected:
    void with_faults(std::vector<FaultRule> faults) {
        auto engine_options = options();
        engine_options.faults = std::move(faults);
        start(engine_options);
        sa_ = login_sa();
    }
    int sa_ = 0;
};

TEST_F(FaultRulesTest, FailAnswersWithTheRealMessageAndRunsNothing) {
    const struct {
        std::u16string rule_text;
        int32_t number;
        std::u16string sql;
        std::vector<int32_t> numbers;
        std::u16string first_text;
        uint8_t severity;
    } cases[] = {
        {u"create database", 5133,
         u"CREATE DATABASE mirvox ON PRIMARY (NAME = N'mirvox_Data', FILENAME = N'D:\\data\\mirvox_Data.MDF')",
         {5133, 1802},
         u"Directory lookup for the file \"D:\\data\\mirvox_Data.MDF\" failed with the operating system error "
         u"3(The system cannot find the path specified.).",
         16},
        {u"RESTORE DATABASE", 3201, u"RESTORE DATABASE mirvox FROM  DISK = N'c:\\zq.tmp' WITH REPLACE", {3201, 3013},
         u"Cannot open backup device 'c:\\zq.tmp'. Operating system error 2(The system cannot find the file specified.).",
         16},
        {u"drop database", 3702, u"Drop DATABASE mirvox", {3702},
         u"Cannot drop database \"mirvox\" because it is currently in use.", 16},
        {u"sp_droplogin", 15007, u"dbo.sp_droplogin mirvox", {15007},
         u"'mirvox' is not a valid login or you do not have permission.", 16},
        {u"sp_defaultdb", 15151, u"exec dbo.sp_defaultdb N'mirvox', N'mirvox'", {15151},
         u"Cannot alter the login 'mirvox', because it does not exist or you do not have permission.", 16},
        {u"use ", 911, u"use master", {911},
         u"Database 'master' does not exist. Make sure that the name is entered correctly.", 16},
        {u"HEADERONLY", 3201, u"RESTORE HEADERONLY FROM DISK = N'c:\\zq.tmp'", {3201, 3013},
         u"Cannot open backup device 'c:\\zq.tmp'. Operating system error 2(The system cannot find the file specified.).",
         16},
        {u"CREATE LOGIN", 15025, u"CREATE LOGIN [mirvox] WITH PASSWORD = N'rovtakl', CHECK_POLICY = OFF", {15025},
         u"The server principal 'mirvox' already exists.", 16},
        {u"select", 99999, u"select 1", {99999}, u"SQL Server error 99999 was raised.", 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.sql));
        with_faults({{FaultRule::Kind::fail, c.rule_text, c.number}});
        const auto sink = run(sa_, c.sql);
        EXPECT_EQ(sink.message_numbers(), c.numbers);
        ASSERT_FALSE(sink.messages.empty());
        EXPECT_EQ(sink.messages[0].text, c.first_text);
        EXPECT_EQ(sink.messages[0].severity, c.severity);
        ASSERT_EQ(sink.dones.size(), 1u);
        EXPECT_TRUE(sink.dones[0].failed);
    }
    {
        with_faults({{FaultRule::Kind::fail, u"FILELISTONLY", 3241}});
        const auto sink = run(sa_, u"RESTORE FILELISTONLY FROM DISK = N'c:\\zq.tmp'");
        ASSERT_EQ(sink.messages.size(), 2u);
        EXPECT_EQ(sink.messages[1].text, u"RESTORE FILELIST is terminating abnormally.");
    }
    // None of the failed statements ran.
    with_faults({});
    EXPECT_FALSE(std::filesystem::exists(drive_d() / "data" / "mirvox_Data.MDF"));
    EXPECT_EQ(scalar(sa_, u"select count(*) from sysdatabases where name = 'mirvox'"), Value(0));
    EXPECT_EQ(scalar(sa_, u"select count(*) from syslogins where name = 'mirvox'"), Value(0));
}

TEST_F(FaultRulesTest, OnlyTheMatchingStatementOfABatchIsAffected) {
    with_faults({{FaultRule::Kind::fail, u"t_sys_system", 208}});
    const auto sink = run(sa_, u"create table kept (n int)\nselect * from t_sys_system\ninsert into kept values (1)");
    ASSERT_EQ(sink.dones.size(), 3u);
    EXPECT_FALSE(sink.dones[0].failed);
    EXPECT_TRUE(sink.dones[1].failed);
    EXPECT_EQ(sink.messages.at(0).text, u"Invalid object name 't_sys_system'.");
    EXPECT_FALSE(sink.dones[2].failed);
    EXPECT_EQ(scalar(sa_, u"select count(*) from kept"), Value(1));
}

TEST_F(FaultRulesTest, AOnceRuleFailsOnlyTheFirstMatchingStatement) {
    FaultRule once{FaultRule::Kind::fail, u"create table", 2714};
    once.once = true;
    with_faults({once});
    const auto first = run(sa_, u"create table t1 (n int)");
    ASSERT_EQ(first.dones.size(), 1u);
    EXPECT_TRUE(first.dones[0].failed);
    const auto second = run(sa_, u"create table t1 (n int)\ncreate table t2 (n int)");
    ASSERT_EQ(second.dones.size(), 2u);
    EXPECT_FALSE(second.dones[0].failed);
    EXPECT_FALSE(second.dones[1].failed);
}

TEST_F(FaultRulesTest, DropClosesTheConnectionWithoutAnswering) {
    with_faults({{FaultRule::Kind::drop, u"sp_addlogin", 0}});
    RecordingSink sink;
    EXPECT_EQ(engine_->execute_batch(sa_, u"dbo.sp_addlogin 'mirvox','rovtakl',master", sink), BatchEnd::drop_connection);
    EXPECT_TRUE(sink.events.empty());
    EXPECT_EQ(scalar(sa_, u"select count(*) from syslogins where name = 'mirvox'"), Value(0));
}

TEST_F(FaultRulesTest, DelayWaitsAndYieldsToAttention) {
    with_faults({{FaultRule::Kind::delay, u"select", 60000}});
    RecordingSink sink;
    std::thread waiter([&] { engine_->execute_batch(sa_, u"select 1", sink); });
    // Meanwhile the engine serves other sessions.
    const int other = login_sa();
    EXPECT_EQ(run(other, u"use master").message_numbers(), std::vector<int32_t>{5701});
    sink.request_attention();
    waiter.join();
    EXPECT_TRUE(sink.events.empty());
}

}  // namespace
}  // namespace emulator::testing
