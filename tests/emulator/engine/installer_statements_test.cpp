// The installer's statements, character for character and in its order, on a
// fresh server and on one with an earlier install.
#include "engine_fixture.h"
#include "text.h"

#include <algorithm>

namespace emulator::testing {
namespace {

class InstallerStatementsTest : public EngineTest {
protected:
    // The shipped template: a backup holding t_sys_system with an
    // Is_Distributed row, staged at c:\zq.tmp as the installer does.
    InstallerStatementsTest() {
        const int sa = login_sa();
        std::filesystem::create_directories(drive_c() / "template");
        ok(sa, u"CREATE DATABASE mirvox_template ON PRIMARY (NAME = N'mirvox_data', FILENAME = "
               u"N'C:\\template\\mirvox_template.mdf', SIZE = 1) LOG ON (NAME = N'mirvox_log', FILENAME = "
               u"N'C:\\template\\mirvox_template_log.ldf', SIZE = 1)");
        ok(sa, u"use mirvox_template\n"
               u"create table t_sys_system (sys_var_id nvarchar(40), sys_var_name nvarchar(60), sys_var_value "
               u"nvarchar(60), sys_ver_flag nvarchar(10), sys_inited nvarchar(10))\n"
               u"insert into t_sys_system values ('Is_Distributed', '单店', '0', '', '1')\n"
               u"insert into t_sys_system values ('Is_Distributed', '总部', '1', '', '1')\n"
               u"use master");
        ok(sa, u"BACKUP DATABASE mirvox_template TO DISK = N'C:\\zq.tmp'");
        engine_->close_session(sa);
    }

    // Phases from the old-database check to the store mode, as one operator run.
    void install(const std::u16string& store_row) {
        const int admin = login_sa(true);
        ok(admin, u"SET QUOTED_IDENTIFIER OFF");
        const bool old_database =
            !ok(admin, u"select name from master.dbo.sysdatabases where name ='mirvox' ").results.at(0).rows.empty();
        if (old_database) {
            EXPECT_EQ(scalar(admin, u"select count ( a.spid ) from master.dbo.sysprocesses a , master.dbo.sysdatabases "
                                    u"b where a.dbid =b.dbid and a.loginame =N'mirvox' and b.name =N'mirvox' "),
                      Value(0));
            ok(admin, u"Drop DATABASE mirvox");
            ok(admin, u"dbo.sp_droplogin mirvox");
        }
        ok(admin, u"CREATE DATABASE mirvox  ON PRIMARY (NAME = N'mirvox_Data', FILENAME = N'D:\\data\\mirvox_Data.MDF' , "
                  u"SIZE = 12, FILEGROWTH = 30%) LOG ON (NAME = N'mirvox_Log', FILENAME = N'D:\\data\\mirvox_Log.LDF' , "
                  u"SIZE = 12, FILEGROWTH = 30%)");
        ok(admin, u"RESTORE DATABASE mirvox FROM  DISK = N'c:\\zq.tmp' WITH  FILE = 1,  NOUNLOAD ,  STATS = 10,  "
                  u"RECOVERY ,  REPLACE ,MOVE 'mirvox_log' TO N'D:\\data\\mirvox_Log.LDF',MOVE 'mirvox_data' TO "
                  u"N'D:\\data\\mirvox_Data.MDF'");
        ok(admin, u"dbo.sp_addlogin 'mirvox','rovtakl',mirvox");
        ok(admin, u"dbo.sp_addsrvrolemember 'mirvox', sysadmin");
        engine_->close_session(admin);

        const int app = login(u"mirvox", u"rovtakl", u"master", true);
        ok(app, u"SET QUOTED_IDENTIFIER OFF");
        ok(app, u"exec dbo.sp_defaultdb N'mirvox', N'mirvox'");
        ok(app, u"use mirvox");
        ok(app, u"Delete from t_sys_system where sys_var_id =\"Is_Distributed\" ");
        ok(app, u"insert into t_sys_system ( sys_var_id , sys_var_name , sys_var_value , sys_ver_flag , sys_inited ) "
                u"values ( 'Is_Distributed' , " + store_row + u" , '' , '1' ) ");
        engine_->close_session(app);
    }

    std::vector<std::vector<Value>> distributed_rows() {
        const int check = login_sa();
        const auto sink = ok(check, u"select sys_var_name, sys_var_value, sys_ver_flag, sys_inited from "
                                    u"mirvox.dbo.t_sys_system where sys_var_id = 'Is_Distributed'");
        engine_->close_session(check);
        return sink.results.at(0).rows;
    }
};

TEST_F(InstallerStatementsTest, FreshInstallLeavesOneStoreModeRow) {
    install(u"'单店' , '0'");
    const auto rows = distributed_rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (std::vector<Value>{std::u16string(u"单店"), std::u16string(u"0"), std::u16string(u""),
                                           std::u16string(u"1")}));
    // The application login now lands in the installed database.
    const auto accepted = engine_->login({u"mirvox", u"rovtakl", {}, true});
    ASSERT_TRUE(std::holds_alternative<LoginAccepted>(accepted));
    EXPECT_EQ(std::get<LoginAccepted>(accepted).database, u"mirvox");
}

TEST_F(InstallerStatementsTest, ReinstallDropsTheOldDatabaseAndLogin) {
    install(u"'单店' , '0'");
    install(u"'分店/配送中心' , '2'");
    const auto rows = distributed_rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], Value(std::u16string(u"分店/配送中心")));
    EXPECT_EQ(rows[0][1], Value(std::u16string(u"2")));
}

TEST_F(InstallerStatementsTest, PreflightThenAFailedInstallPutsTheOldDatabaseBackFromTheSafetyBackup) {
    install(u"'单店' , '0'");
    auto engine_options = options();
    engine_options.faults = {{FaultRule::Kind::fail, u"RESTORE DATABASE mirvox FROM DISK = N'c:\\zq.tmp'", 3241}};
    engine_options.free_mb = {{'D', 200}};
    start(engine_options);
    const int admin = login_sa(true);
    ok(admin, u"SET QUOTED_IDENTIFIER OFF");

    // Pre-flight: nothing changes yet.
    EXPECT_EQ(scalar(admin, u"SELECT IS_SRVROLEMEMBER('sysadmin')"), Value(1));
    const auto server = ok(admin, u"SELECT CONVERT(nvarchar(128), SERVERPROPERTY('MachineName')), CONVERT(nvarchar(128), "
                                  u"SERVERPROPERTY('ComputerNamePhysicalNetBIOS')), CONVERT(nvarchar(128), "
                                  u"SERVERPROPERTY('ProductVersion'))");
    EXPECT_EQ(server.results.at(0).rows.at(0).at(2), Value(std::u16string(u"15.0.2000.5")));
    EXPECT_EQ(ok(admin, u"EXEC master.dbo.xp_fileexist N'D:\\data'").results.at(0).rows.at(0),
              (std::vector<Value>{0, 1, 1}));
    EXPECT_EQ(ok(admin, u"EXEC master.dbo.xp_fixeddrives").results.at(0).rows.at(1),
              (std::vector<Value>{std::u16string(u"D"), 200}));
    const auto files = ok(admin, u"select a.name, a.filename, a.size from master.dbo.sysaltfiles a , "
                                 u"master.dbo.sysdatabases b where a.dbid =b.dbid and b.name =N'mirvox'");
    EXPECT_EQ(files.results.at(0).rows.size(), 2u);
    EXPECT_EQ(ok(admin, u"select name, dbname, sysadmin from master.dbo.syslogins where name =N'mirvox'")
                  .results.at(0).rows.size(),
              1u);
    // What putting the login back needs: its SID, password hash and roles.
    const auto kept = ok(admin, u"select l.sid, l.password_hash, l.is_disabled, r.role_principal_id from "
                                u"sys.sql_logins l, sys.server_role_members r where l.principal_id = "
                                u"r.member_principal_id and l.name = N'mirvox'")
                          .results.at(0)
                          .rows.at(0);
    const std::u16string sid = hex_text(std::get<Binary>(kept.at(0)));
    const std::u16string hash = hex_text(std::get<Binary>(kept.at(1)));
    EXPECT_EQ(kept.at(2), Value(0));
    EXPECT_EQ(kept.at(3), Value(3));  // sysadmin
    EXPECT_EQ(ok(admin, u"RESTORE HEADERONLY FROM DISK = N'c:\\zq.tmp'").results.at(0).rows.size(), 1u);
    EXPECT_EQ(ok(admin, u"RESTORE FILELISTONLY FROM DISK = N'c:\\zq.tmp'").results.at(0).rows.size(), 2u);

    // The safety backup, then the changes.
    ok(admin, u"BACKUP DATABASE mirvox TO DISK = N'D:\\data\\mirvox_20261207120000.bak' WITH COPY_ONLY, INIT, STATS = 10");
    ok(admin, u"Drop DATABASE mirvox");
    ok(admin, u"dbo.sp_droplogin mirvox");
    ok(admin, u"CREATE DATABASE mirvox  ON PRIMARY (NAME = N'mirvox_Data', FILENAME = N'D:\\data\\mirvox_Data.MDF' , "
              u"SIZE = 12, FILEGROWTH = 30%) LOG ON (NAME = N'mirvox_Log', FILENAME = N'D:\\data\\mirvox_Log.LDF' , "
              u"SIZE = 12, FILEGROWTH = 30%)");
    const auto failed = run(admin, u"RESTORE DATABASE mirvox FROM DISK = N'c:\\zq.tmp' WITH FILE = 1, STATS = 10, "
                                   u"RECOVERY, REPLACE, MOVE N'mirvox_Data' TO N'D:\\data\\mirvox_Data.MDF', MOVE "
                                   u"N'mirvox_Log' TO N'D:\\data\\mirvox_Log.LDF'");
    EXPECT_EQ(failed.message_numbers(), (std::vector<int32_t>{3241, 3013}));

    // The rollback restores the old database onto its own files, over the
    // empty one just created; then once more after dropping that one.
    const std::u16string rollback =
        u"RESTORE DATABASE mirvox FROM DISK = N'D:\\data\\mirvox_20261207120000.bak' WITH FILE = 1, STATS = 10, "
        u"RECOVERY, REPLACE, MOVE N'mirvox_Data' TO N'D:\\data\\mirvox_Data.MDF', MOVE N'mirvox_Log' TO "
        u"N'D:\\data\\mirvox_Log.LDF'";
    ok(admin, rollback);
    ok(admin, u"Drop DATABASE mirvox");
    ok(admin, rollback);
    ok(admin, u"CREATE LOGIN [mirvox] WITH PASSWORD = " + hash + u" HASHED, SID = " + sid +
                  u", DEFAULT_DATABASE = [mirvox], CHECK_POLICY = OFF");
    ok(admin, u"dbo.sp_addsrvrolemember 'mirvox', sysadmin");
    engine_->close_session(admin);

    const auto rows = distributed_rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], Value(std::u16string(u"单店")));
    const auto accepted = engine_->login({u"mirvox", u"rovtakl", {}, true});
    ASSERT_TRUE(std::holds_alternative<LoginAccepted>(accepted));
    EXPECT_EQ(std::get<LoginAccepted>(accepted).database, u"mirvox");
    // Nothing but the database's two files and the safety backup is left in the data folder.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(drive_d() / "data"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"mirvox_20261207120000.bak", "mirvox_Data.MDF", "mirvox_Log.LDF"}));
}

}  // namespace
}  // namespace emulator::testing
