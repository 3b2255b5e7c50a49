// Logins, sessions, databases and their files, with SQL Server's messages.
#include "engine_fixture.h"

#include <fstream>
#include <thread>

namespace emulator::testing {
namespace {

constexpr char16_t create_mirvox[] =
    u"CREATE DATABASE mirvox  ON PRIMARY (NAME = N'mirvox_Data', FILENAME = N'D:\\data\\mirvox_Data.MDF' , SIZE = "
    u"12, FILEGROWTH = 30%) LOG ON (NAME = N'mirvox_Log', FILENAME = N'D:\\data\\mirvox_Log.LDF' , SIZE = 12, "
    u"FILEGROWTH = 30%)";

using CatalogTest = EngineTest;

TEST_F(CatalogTest, LoginChecksPasswordAndDatabase) {
    const struct {
        LoginRequest request;
        std::vector<int32_t> errors;  // empty: accepted
        std::u16string first_text;
    } cases[] = {
        {{u"sa", u"Secret#1", {}, false}, {}, {}},
        {{u"SA", u"Secret#1", u"MASTER", false}, {}, {}},
        {{u"sa", u"secret#1", {}, false}, {18456}, u"Login failed for user 'sa'."},
        {{u"nobody", u"x", {}, false}, {18456}, u"Login failed for user 'nobody'."},
        {{u"sa", u"Secret#1", u"nosuch", false},
         {4060, 18456},
         u"Cannot open database \"nosuch\" requested by the login. The login failed."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.request.user + u"/" + c.request.database));
        const auto result = engine_->login(c.request);
        if (c.errors.empty()) {
            ASSERT_TRUE(std::holds_alternative<LoginAccepted>(result));
            EXPECT_EQ(std::get<LoginAccepted>(result).database, u"master");
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<LoginRefused>(result));
        const auto& errors = std::get<LoginRefused>(result).errors;
        ASSERT_EQ(errors.size(), c.errors.size());
        for (size_t i = 0; i < errors.size(); ++i) EXPECT_EQ(errors[i].number, c.errors[i]);
        EXPECT_EQ(errors[0].text, c.first_text);
        EXPECT_EQ(errors.back().severity, 14);
        EXPECT_EQ(errors.back().state, 1);
    }
}

TEST_F(CatalogTest, CreateDatabaseMakesItsFilesAndListsThem) {
    const int sa = login_sa();
    EXPECT_TRUE(ok(sa, u"select name from master.dbo.sysdatabases where name =N'mirvox' ").results.at(0).rows.empty());
    const auto created = ok(sa, create_mirvox);
    EXPECT_EQ(created.dones.at(0).command, Command::create_database);

    EXPECT_EQ(std::filesystem::file_size(drive_d() / "data" / "mirvox_Data.MDF"), 12u << 20);
    EXPECT_EQ(std::filesystem::file_size(drive_d() / "data" / "mirvox_Log.LDF"), 12u << 20);
    for (const auto* query : {u"select name from master.dbo.sysdatabases where name =N'mirvox' ",
                              u"select name from master.dbo.sysdatabases where name ='MIRVOX' "})
        EXPECT_EQ(scalar(sa, query), Value(std::u16string(u"mirvox")));
    EXPECT_EQ(scalar(sa, u"select filename from sysdatabases where name = 'mirvox'"),
              Value(std::u16string(u"D:\\data\\mirvox_Data.MDF")));
    EXPECT_EQ(scalar(sa, u"select dbid from master.dbo.sysdatabases where name = 'master'"), Value(1));

    const auto files = ok(sa, u"select name, filename from mirvox.dbo.sysfiles");
    ASSERT_EQ(files.results.at(0).rows.size(), 2u);
    EXPECT_EQ(files.results[0].rows[0][0], Value(std::u16string(u"mirvox_Data")));
    EXPECT_EQ(files.results[0].rows[1][1], Value(std::u16string(u"D:\\data\\mirvox_Log.LDF")));

    // Without file specifications the files go to the server's default data
    // folder, master's, which the server makes on the drive that holds it.
    EXPECT_EQ(scalar(sa, u"select CONVERT(nvarchar(128), SERVERPROPERTY('InstanceDefaultDataPath'))"),
              Value(std::u16string(u"C:\\Program Files\\Microsoft SQL Server\\MSSQL\\data\\")));
    ok(sa, u"CREATE DATABASE plain");
    EXPECT_EQ(scalar(sa, u"select filename from sysdatabases where name = 'plain'"),
              Value(std::u16string(u"C:\\Program Files\\Microsoft SQL Server\\MSSQL\\data\\plain.mdf")));
    const auto plain_file = drive_c() / "Program Files" / "Microsoft SQL Server" / "MSSQL" / "data" / "plain.mdf";
    EXPECT_TRUE(std::filesystem::exists(plain_file));
    ok(sa, u"DROP DATABASE plain");
    EXPECT_FALSE(std::filesystem::exists(plain_file));
}

TEST_F(CatalogTest, CreateDatabaseRefusals) {
    const int sa = login_sa();
    ok(sa, create_mirvox);
    std::filesystem::create_directories(drive_d() / "other");
    std::ofstream(drive_d() / "other" / "taken.MDF") << "x";
    const struct {
        std::u16string sql;
        std::vector<int32_t> numbers;
        std::u16string text;
    } cases[] = {
        {create_mirvox, {1801}, u"Database 'mirvox' already exists. Choose a different database name."},
        {u"CREATE DATABASE b ON PRIMARY (NAME = N'b', FILENAME = N'D:\\missing\\b.MDF') LOG ON (NAME = N'bl', "
         u"FILENAME = N'D:\\data\\b.LDF')",
         {5133, 1802},
         u"Directory lookup for the file \"D:\\missing\\b.MDF\" failed with the operating system error 3(The system "
         u"cannot find the path specified.). CREATE DATABASE failed. Some file names listed could not be created. "
         u"Check related errors."},
        {u"CREATE DATABASE b ON PRIMARY (NAME = N'b', FILENAME = N'Q:\\b.MDF')",
         {5133, 1802},
         u"Directory lookup for the file \"Q:\\b.MDF\" failed with the operating system error 3(The system cannot "
         u"find the path specified.). CREATE DATABASE failed. Some file names listed could not be created. Check "
         u"related errors."},
        {u"CREATE DATABASE b ON PRIMARY (NAME = N'b', FILENAME = N'D:\\data\\b.MDF') LOG ON (NAME = N'bl', "
         u"FILENAME = N'D:\\other\\taken.MDF')",
         {5170, 1802},
         u"Cannot create file 'D:\\other\\taken.MDF' because it already exists. Change the file path or the file "
         u"name, and retry the operation. CREATE DATABASE failed. Some file names listed could not be created. "
         u"Check related errors."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(utf8(c.sql));
        const auto sink = run(sa, c.sql);
        EXPECT_EQ(sink.message_numbers(), c.numbers);
        EXPECT_EQ(sink.error_text(), c.text);
        EXPECT_TRUE(sink.dones.at(0).failed);
    }
    EXPECT_EQ(run(sa, create_mirvox).messages.at(0).state, 3);
    // No refused statement left a file or a database behind.
    EXPECT_FALSE(std::filesystem::exists(drive_d() / "data" / "b.MDF"));
    EXPECT_EQ(std::get<int32_t>(scalar(sa, u"select count(*) from sysdatabases where name = 'b'")), 0);
}

TEST_F(CatalogTest, DropDatabaseRespectsSessionsUsingIt) {
    const int sa = login_sa();
    {
        const auto missing = run(sa, u"Drop DATABASE mirvox");
        ASSERT_EQ(missing.messages.size(), 1u);
        EXPECT_EQ(missing.messages[0].number, 3701);
        EXPECT_EQ(missing.messages[0].severity, 11);
        EXPECT_EQ(missing.messages[0].text,
                  u"Cannot drop the database 'mirvox', because it does not exist or you do not have permission.");
    }
    ok(sa, create_mirvox);
    const int user = login_sa();
    ok(user, u"use mirvox");
    {
        const auto in_use = run(sa, u"Drop DATABASE mirvox");
        ASSERT_EQ(in_use.messages.size(), 1u);
        EXPECT_EQ(in_use.messages[0].number, 3702);
        EXPECT_EQ(in_use.messages[0].state, 3);
        EXPECT_EQ(in_use.messages[0].text, u"Cannot drop database \"mirvox\" because it is currently in use.");
        EXPECT_TRUE(std::filesystem::exists(drive_d() / "data" / "mirvox_Data.MDF"));
    }
    engine_->close_session(user);
    ok(sa, u"Drop DATABASE mirvox");
    EXPECT_FALSE(std::filesystem::exists(drive_d() / "data" / "mirvox_Data.MDF"));
    EXPECT_FALSE(std::filesystem::exists(drive_d() / "data" / "mirvox_Log.LDF"));
    EXPECT_EQ(run(sa, u"Drop DATABASE master").message_numbers(), std::vector<int32_t>{3708});
}

TEST_F(CatalogTest, UseChangesDatabaseAndReportsIt) {
    const int sa = login_sa();
    ok(sa, create_mirvox);
    const auto used = ok(sa, u"use mirvox");
    EXPECT_EQ(used.events, (std::vector<std::string>{"envchange", "message 5701", "done"}));
    EXPECT_EQ(used.database_changes.at(0), std::make_pair(std::u16string(u"mirvox"), std::u16string(u"master")));
    EXPECT_EQ(used.messages[0].text, u"Changed database context to 'mirvox'.");
    EXPECT_EQ(used.messages[0].severity, 0);

    const auto missing = run(sa, u"use nosuch");
    EXPECT_EQ(missing.message_numbers(), std::vector<int32_t>{911});
    EXPECT_EQ(missing.messages[0].text, u"Database 'nosuch' does not exist. Make sure that the name is entered correctly.");
    EXPECT_TRUE(missing.database_changes.empty());
    // The failed USE left the session where it was.
    EXPECT_EQ(scalar(sa, u"select name from sysfiles where fileid = 1"), Value(std::u16string(u"mirvox_Data")));
}

TEST_F(CatalogTest, LoginProcedures) {
    const int sa = login_sa();
    ok(sa, create_mirvox);
    ok(sa, u"dbo.sp_addlogin 'mirvox','rovtakl',mirvox");
    {
        const auto again = run(sa, u"dbo.sp_addlogin 'mirvox','rovtakl',mirvox");
        ASSERT_EQ(again.messages.size(), 1u);
        EXPECT_EQ(again.messages[0].number, 15025);
        EXPECT_EQ(again.messages[0].text, u"The server principal 'mirvox' already exists.");
        EXPECT_EQ(again.messages[0].procedure, u"sp_addlogin");
    }
    EXPECT_EQ(scalar(sa, u"select sysadmin from master.dbo.syslogins where name = 'mirvox'"), Value(0));
    ok(sa, u"dbo.sp_addsrvrolemember 'mirvox', sysadmin");
    EXPECT_EQ(scalar(sa, u"select sysadmin from master.dbo.syslogins where name = 'mirvox'"), Value(1));

    // The login works with its own password and lands in its default database.
    const auto accepted = engine_->login({u"mirvox", u"rovtakl", {}, false});
    ASSERT_TRUE(std::holds_alternative<LoginAccepted>(accepted));
    EXPECT_EQ(std::get<LoginAccepted>(accepted).database, u"mirvox");
    engine_->close_session(std::get<LoginAccepted>(accepted).spid);

    ok(sa, u"exec dbo.sp_defaultdb N'mirvox', N'master'");
    EXPECT_EQ(scalar(sa, u"select dbname from syslogins where name = 'mirvox'"), Value(std::u16string(u"master")));
    const struct {
        std::u16string sql;
        int32_t number;
        std::u16string text;
        std::u16string procedure;
    } refusals[] = {
        {u"exec dbo.sp_defaultdb N'ghost', N'master'", 15007, u"'ghost' is not a valid login or you do not have permission.", u"sp_defaultdb"},
        {u"exec dbo.sp_defaultdb N'mirvox', N'nosuch'", 15010,
         u"The database 'nosuch' does not exist. Supply a valid database name. To see available databases, use sys.databases.",
         u"sp_defaultdb"},
        {u"dbo.sp_droplogin ghost", 15007, u"'ghost' is not a valid login or you do not have permission.", u"sp_droplogin"},
        {u"dbo.sp_addsrvrolemember 'ghost', sysadmin", 15007, u"'ghost' is not a valid login or you do not have permission.",
         u"sp_addsrvrolemember"},
        {u"dbo.sp_droplogin sa", 15405, u"Cannot use the special principal 'sa'.", u"sp_droplogin"},
        {u"dbo.sp_addsrvrolemember 'mirvox'", 201,
         u"Procedure or function 'sp_addsrvrolemember' expects parameter '@rolename', which was not supplied.",
         u"sp_addsrvrolemember"},
        {u"exec sp_droplogin 'mirvox', 'extra'", 8144, u"Procedure or function sp_droplogin has too many arguments specified.",
         u"sp_droplogin"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(utf8(r.sql));
        const auto sink = run(sa, r.sql);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.messages[0].number, r.number);
        EXPECT_EQ(sink.messages[0].text, r.text);
        EXPECT_EQ(sink.messages[0].procedure, r.procedure);
    }
    ok(sa, u"dbo.sp_droplogin mirvox");
    EXPECT_TRUE(std::holds_alternative<LoginRefused>(engine_->login({u"mirvox", u"rovtakl", {}, false})));
}

TEST_F(CatalogTest, DroppingALoginInUseIsRefused) {
    const int sa = login_sa();
    ok(sa, u"sp_addlogin 'clerk', 'pw'");
    const int clerk = login(u"clerk", u"pw");
    EXPECT_EQ(run(sa, u"sp_droplogin clerk").message_numbers(), std::vector<int32_t>{15434});
    engine_->close_session(clerk);
    ok(sa, u"sp_droplogin clerk");
}

TEST_F(CatalogTest, ProcessesCountOnlyTheLoginsSessionsInTheDatabase) {
    const int sa = login_sa();
    ok(sa, create_mirvox);
    ok(sa, u"dbo.sp_addlogin 'mirvox','rovtakl',mirvox");
    ok(sa, u"use mirvox");
    ok(sa, u"CREATE USER mirvox FOR LOGIN mirvox");
    ok(sa, u"use master");
    const std::u16string count_query =
        u"select count ( a.spid ) from master.dbo.sysprocesses a , master.dbo.sysdatabases b where a.dbid =b.dbid "
        u"and a.loginame =N'mirvox' and b.name =N'mirvox' ";
    EXPECT_EQ(scalar(sa, count_query), Value(0));
    const int in_mirvox = login(u"mirvox", u"rovtakl");
    const int in_master = login(u"mirvox", u"rovtakl", u"master");
    ok(sa, u"use mirvox");  // sa's own session does not count
    EXPECT_EQ(scalar(sa, count_query), Value(1));
    engine_->close_session(in_mirvox);
    EXPECT_EQ(scalar(sa, count_query), Value(0));
    engine_->close_session(in_master);
}

TEST_F(CatalogTest, SessionsRunConcurrently) {
    const int sa = login_sa();
    ok(sa, u"create table t (n int)");
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; ++w)
        workers.emplace_back([this] {
            const int spid = login_sa();
            for (int i = 0; i < 25; ++i) {
                RecordingSink sink;
                engine_->execute_batch(spid, u"insert into t values (1)", sink);
                EXPECT_FALSE(sink.any_failed());
            }
            engine_->close_session(spid);
        });
    for (auto& worker : workers) worker.join();
    EXPECT_EQ(scalar(sa, u"select count(*) from t"), Value(100));
}

TEST_F(CatalogTest, UnsupportedAndMalformedStatementsFail) {
    const int sa = login_sa();
    const auto unsupported = run(sa, u"ALTER LOGIN sa WITH NAME = admin");
    ASSERT_EQ(unsupported.messages.size(), 1u);
    EXPECT_EQ(unsupported.messages[0].severity, 16);
    EXPECT_EQ(unsupported.messages[0].text,
              u"The SQL Server emulator does not support the statement 'ALTER LOGIN sa WITH NAME = admin'.");
    EXPECT_TRUE(unsupported.dones.at(0).failed);

    // A syntax error anywhere runs nothing of the batch.
    const auto malformed = run(sa, u"create table t (n int)\nselect from");
    EXPECT_EQ(malformed.message_numbers(), std::vector<int32_t>{102});
    EXPECT_EQ(malformed.messages[0].text, u"Incorrect syntax near 'from'.");
    EXPECT_EQ(malformed.messages[0].severity, 15);
    EXPECT_EQ(run(sa, u"select * from t").message_numbers(), std::vector<int32_t>{208});
}

}  // namespace
}  // namespace emulator::testing
