// The catalog outlives the engine: a new engine on the same state folder sees
// the same databases, logins with their SIDs, users, tables and rows.
#include "engine_fixture.h"

#include <fstream>

namespace emulator::testing {
namespace {

using PersistenceTest = EngineTest;

TEST_F(PersistenceTest, ANewEngineSeesEverythingTheOldOneChanged) {
    const int sa = login_sa();
    ok(sa, u"CREATE DATABASE kept ON PRIMARY (NAME = N'kept_data', FILENAME = N'D:\\data\\kept.MDF', SIZE = 1)");
    ok(sa, u"use kept\ncreate table notes (id int NOT NULL, body nvarchar(max))");
    // Texts that the state file must escape come back unchanged.
    ok(sa, u"insert into notes values (1, N'tab\there\nnew line \\N back\\slash 分店'), (2, NULL)");
    ok(sa, u"sp_addlogin 'clerk', 'pw', kept");
    ok(sa, u"sp_addsrvrolemember 'clerk', sysadmin");
    ok(sa, u"CREATE LOGIN till WITH PASSWORD = N'Till#1', DEFAULT_DATABASE = kept, CHECK_POLICY = OFF");
    ok(sa, u"CREATE USER till");
    ok(sa, u"CREATE LOGIN gone WITH PASSWORD = N'Gone#1'");
    ok(sa, u"ALTER LOGIN gone DISABLE");
    ok(sa, u"use master");
    const Value sids = ok(sa, u"select sid from sys.sql_logins where name = 'till'").results.at(0).rows.at(0).at(0);

    auto engine_options = options();
    engine_options.sa_password = u"Changed#2";
    start(engine_options);

    EXPECT_TRUE(std::holds_alternative<LoginRefused>(engine_->login({u"sa", u"Secret#1", {}, false})));
    const int again = login(u"sa", u"Changed#2");
    const auto notes = ok(again, u"select id, body from kept.dbo.notes");
    ASSERT_EQ(notes.results.at(0).rows.size(), 2u);
    EXPECT_EQ(notes.results[0].rows[0][1], Value(std::u16string(u"tab\there\nnew line \\N back\\slash 分店")));
    EXPECT_EQ(notes.results[0].rows[1][1], Value(std::monostate{}));
    EXPECT_EQ(scalar(again, u"select filename from sysdatabases where name = 'kept'"),
              Value(std::u16string(u"D:\\data\\kept.MDF")));
    EXPECT_EQ(scalar(again, u"select sysadmin from syslogins where name = 'clerk'"), Value(1));

    const int clerk = login(u"clerk", u"pw");
    EXPECT_EQ(scalar(clerk, u"select count(*) from notes"), Value(2));
    // Logins keep their SIDs, hashes and state; users their mapping.
    EXPECT_EQ(scalar(again, u"select sid from sys.sql_logins where name = 'till'"), sids);
    const int till = login(u"till", u"Till#1");
    EXPECT_EQ(scalar(till, u"select USER_NAME()"), Value(std::u16string(u"till")));
    engine_->close_session(till);
    EXPECT_EQ(std::get<LoginRefused>(engine_->login({u"gone", u"Gone#1", {}, false})).errors.at(0).number, 18470);
    // Drops survive a restart too, and the files go with the database.
    engine_->close_session(clerk);
    ok(again, u"Drop DATABASE kept");
    start(options());
    EXPECT_EQ(scalar(login_sa(), u"select count(*) from sysdatabases where name = 'kept'"), Value(0));
    EXPECT_FALSE(std::filesystem::exists(drive_d() / "data" / "kept.MDF"));
}

TEST_F(PersistenceTest, FileGrowthAndLimitsSurviveARestart) {
    const int sa = login_sa();
    ok(sa, u"CREATE DATABASE kept ON PRIMARY (NAME = N'kept_data', FILENAME = N'D:\\data\\kept.MDF', SIZE = 1, "
           u"MAXSIZE = 50MB, FILEGROWTH = 25%)");
    start(options());
    const auto row = ok(login_sa(), u"select maxsize, growth, status from sysaltfiles where name = 'kept_data'");
    EXPECT_EQ(row.results.at(0).rows, (std::vector<std::vector<Value>>{{6400, 25, 0x100002}}));
}

TEST_F(PersistenceTest, ACatalogWrittenBeforeGrowthWasKeptStillLoads) {
    engine_.reset();
    std::filesystem::create_directories(drive_d() / "data");
    std::ofstream(drive_d() / "data" / "old.MDF") << std::string(16384, 'x');
    std::ofstream(state_dir() / "catalog.txt", std::ios::trunc)
        << "sqlserver-emulator-catalog\t1\n"
        << "login\tsa\tSecret#1\tmaster\t1\n"
        << "login\tclerk\tpw\tmaster\t0\n"
        << "database\told\t7\n"
        << "file\told_data\tD:\\data\\old.MDF\t" << (drive_d() / "data" / "old.MDF").string() << "\tdata\n"
        << "file\told_log\tD:\\data\\old.LDF\t" << (drive_d() / "data" / "old.LDF").string() << "\tlog\n";
    start(options());
    // Logins kept their password before they kept a hash: they get one, and a SID.
    engine_->close_session(login(u"clerk", u"pw"));
    EXPECT_EQ(std::get<Binary>(scalar(login_sa(), u"select sid from sys.sql_logins where name = 'clerk'")).size(), 16u);
    const auto files = ok(login_sa(), u"select fileid, size, maxsize, growth, name from sysaltfiles where dbid = 7");
    EXPECT_EQ(files.results.at(0).rows,
              (std::vector<std::vector<Value>>{{1, 2, -1, 8192, std::u16string(u"old_data")},
                                               {2, 0, 268435456, 8192, std::u16string(u"old_log")}}));
}

TEST_F(PersistenceTest, ADamagedCatalogIsReportedNotReplaced) {
    engine_.reset();
    std::ofstream(state_dir() / "catalog.txt", std::ios::trunc) << "something else\n";
    EXPECT_THROW(start(options()), std::runtime_error);
    std::ifstream in(state_dir() / "catalog.txt");
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "something else");
}

}  // namespace
}  // namespace emulator::testing
