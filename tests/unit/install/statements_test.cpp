// The statement texts the pipeline sends, character for character.
#include "install/server/statements.h"

#include "platform/clock.h"
#include "platform/odbc/transaction.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using namespace install::statements;
using install::DatabaseFile;
using install::ServerVersion;
using install::StoreMode;

constexpr ServerVersion sql_server_2000{8, 0, 2039};
constexpr ServerVersion sql_server_2019{15, 0, 2000};

TEST(StatementTexts, DefaultNamesGiveTheExactTexts)
{
    EXPECT_EQ(drop_database(L"mirvox"), L"Drop DATABASE mirvox");
    EXPECT_EQ(drop_login(L"mirvox"), L"dbo.sp_droplogin mirvox");
    EXPECT_EQ(create_database(L"mirvox", L"D:\\data"),
              L"CREATE DATABASE mirvox  ON PRIMARY (NAME = N'mirvox_Data', FILENAME = N'D:\\data\\mirvox_Data.MDF' , "
              L"SIZE = 12, FILEGROWTH = 30%) LOG ON (NAME = N'mirvox_Log', FILENAME = N'D:\\data\\mirvox_Log.LDF' , "
              L"SIZE = 12, FILEGROWTH = 30%)");
    EXPECT_EQ(restore_database(L"mirvox", L"c:\\zq.tmp", L"D:\\data"),
              L"RESTORE DATABASE mirvox FROM  DISK = N'c:\\zq.tmp' WITH  FILE = 1,  NOUNLOAD ,  STATS = 10,  "
              L"RECOVERY ,  REPLACE ,MOVE 'mirvox_log' TO N'D:\\data\\mirvox_Log.LDF',MOVE 'mirvox_data' TO "
              L"N'D:\\data\\mirvox_Data.MDF'");
    EXPECT_EQ(add_application_login(L"mirvox", sql_server_2000).sent, L"dbo.sp_addlogin 'mirvox','rovtakl',mirvox");
    EXPECT_EQ(grant_sysadmin(L"mirvox"), L"dbo.sp_addsrvrolemember 'mirvox', sysadmin");
    EXPECT_EQ(set_default_database(L"mirvox", L"mirvox"), L"exec dbo.sp_defaultdb N'mirvox', N'mirvox'");
    EXPECT_EQ(use_database(L"mirvox"), L"use mirvox");
}

TEST(StatementTexts, OtherNamesGoWhereTheDatabaseNameGoes)
{
    // The created login stays mirvox; the default database is set for the configured login.
    EXPECT_EQ(add_application_login(L"门店库", sql_server_2000).sent, L"dbo.sp_addlogin 'mirvox','rovtakl',门店库");
    EXPECT_EQ(set_default_database(L"pos_user", L"门店库"), L"exec dbo.sp_defaultdb N'pos_user', N'门店库'");
    EXPECT_EQ(create_database(L"shop", L"E:\\x"),
              L"CREATE DATABASE shop  ON PRIMARY (NAME = N'shop_Data', FILENAME = N'E:\\x\\shop_Data.MDF' , "
              L"SIZE = 12, FILEGROWTH = 30%) LOG ON (NAME = N'shop_Log', FILENAME = N'E:\\x\\shop_Log.LDF' , "
              L"SIZE = 12, FILEGROWTH = 30%)");
}

TEST(StatementTexts, TrailingBackslashOfTheDataPathIsKept)
{
    std::wstring create = create_database(L"mirvox", L"D:\\data\\");
    EXPECT_NE(create.find(L"N'D:\\data\\\\mirvox_Data.MDF'"), std::wstring::npos) << create;
    EXPECT_NE(create.find(L"N'D:\\data\\\\mirvox_Log.LDF'"), std::wstring::npos) << create;
    std::wstring restore = restore_database(L"mirvox", L"c:\\zq.tmp", L"D:\\data\\");
    EXPECT_NE(restore.find(L"TO N'D:\\data\\\\mirvox_Log.LDF'"), std::wstring::npos) << restore;
    EXPECT_NE(restore.find(L"TO N'D:\\data\\\\mirvox_Data.MDF'"), std::wstring::npos) << restore;
}

TEST(StatementTexts, QuotesInsideLiteralsAreDoubled)
{
    EXPECT_EQ(create_database(L"mirvox", L"C:\\O'Brien"),
              L"CREATE DATABASE mirvox  ON PRIMARY (NAME = N'mirvox_Data', FILENAME = N'C:\\O''Brien\\mirvox_Data.MDF' "
              L", SIZE = 12, FILEGROWTH = 30%) LOG ON (NAME = N'mirvox_Log', FILENAME = "
              L"N'C:\\O''Brien\\mirvox_Log.LDF' , SIZE = 12, FILEGROWTH = 30%)");
    EXPECT_EQ(restore_database(L"mirvox", L"c:\\it's.tmp", L"C:\\O'Brien"),
              L"RESTORE DATABASE mirvox FROM  DISK = N'c:\\it''s.tmp' WITH  FILE = 1,  NOUNLOAD ,  STATS = 10,  "
              L"RECOVERY ,  REPLACE ,MOVE 'mirvox_log' TO N'C:\\O''Brien\\mirvox_Log.LDF',MOVE 'mirvox_data' TO "
              L"N'C:\\O''Brien\\mirvox_Data.MDF'");
    EXPECT_EQ(set_default_database(L"o'neil", L"a'b"), L"exec dbo.sp_defaultdb N'o''neil', N'a''b'");
}

TEST(StatementTexts, StoreModeStatements)
{
    EXPECT_EQ(delete_store_mode, L"Delete from t_sys_system where sys_var_id =\"Is_Distributed\" ");
    const std::wstring head =
        L"insert into t_sys_system ( sys_var_id , sys_var_name , sys_var_value , sys_ver_flag , sys_inited ) values ( ";
    EXPECT_EQ(insert_store_mode(StoreMode::single_store), head + L"'Is_Distributed' , '单店' , '0' , '' , '1' ) ");
    EXPECT_EQ(insert_store_mode(StoreMode::chain_headquarters),
              head + L"'Is_Distributed' , '总部' , '1' , '' , '1' ) ");
    EXPECT_EQ(insert_store_mode(StoreMode::chain_branch),
              head + L"'Is_Distributed' , '分店/配送中心' , '2' , '' , '1' ) ");
}

TEST(StatementTexts, LoginsAreMadeWithoutThePasswordPolicyWhereTheServerHasOne)
{
    // SQL Server 2005 and later check a new login's password against
    // Windows' policy unless told not to; the application's password is fixed.
    EXPECT_EQ(add_application_login(L"mirvox", sql_server_2019).sent,
              L"CREATE LOGIN [mirvox] WITH PASSWORD = N'rovtakl', DEFAULT_DATABASE = [mirvox], CHECK_POLICY = OFF");
    EXPECT_EQ(add_application_login(L"mirvox", {9, 0, 1399}).sent.rfind(L"CREATE LOGIN", 0), 0u);
    EXPECT_EQ(add_login(L"a]b", L"it's", L"x]y", sql_server_2019).sent,
              L"CREATE LOGIN [a]]b] WITH PASSWORD = N'it''s', DEFAULT_DATABASE = [x]]y], CHECK_POLICY = OFF");
    // Before 2005: the system procedure; a default database that is not a
    // regular identifier goes in as a literal.
    EXPECT_EQ(add_login(L"mirvox", L"rovtakl", L"master", sql_server_2000).sent, L"dbo.sp_addlogin 'mirvox','rovtakl',master");
    EXPECT_EQ(add_login(L"o'neil", L"pw", L"my shop", sql_server_2000).sent, L"dbo.sp_addlogin 'o''neil','pw',N'my shop'");
    EXPECT_EQ(grant_sysadmin(L"o'neil"), L"dbo.sp_addsrvrolemember 'o''neil', sysadmin");
}

TEST(StatementTexts, ADroppedLoginIsMadeAgainWithItsOwnSidAndPassword)
{
    install::LoginRecord login{L"mir]vox", L"mirvox", L"简体中文", L"0A1B", L"0200FF", {L"dbcreator"}, true, true, false};
    EXPECT_EQ(recreate_login(login, L"master", sql_server_2019).shown,
              L"CREATE LOGIN [mir]]vox] WITH PASSWORD = ******** HASHED, SID = 0x0A1B, DEFAULT_DATABASE = [master], "
              L"DEFAULT_LANGUAGE = [简体中文], CHECK_POLICY = ON, CHECK_EXPIRATION = OFF");
    EXPECT_EQ(recreate_login(login, L"master", sql_server_2019).sent,
              L"CREATE LOGIN [mir]]vox] WITH PASSWORD = 0x0200FF HASHED, SID = 0x0A1B, DEFAULT_DATABASE = [master], "
              L"DEFAULT_LANGUAGE = [简体中文], CHECK_POLICY = ON, CHECK_EXPIRATION = OFF");
    login.default_language.clear();
    EXPECT_EQ(recreate_login(login, L"mirvox", sql_server_2000).sent,
              L"EXEC dbo.sp_addlogin N'mir]vox', 0x0200FF, N'mirvox', NULL, 0x0A1B, 'skip_encryption'");
    EXPECT_EQ(add_server_role_member(L"o'neil", L"dbcreator"), L"dbo.sp_addsrvrolemember 'o''neil', dbcreator");
    EXPECT_EQ(disable_login(L"mirvox"), L"ALTER LOGIN [mirvox] DISABLE");
    // The hash and SID go into the text bare: nothing but hex digits may.
    for (const wchar_t* text : {L"", L"0A1", L"0x0A", L"0A;DROP", L"0A 1B"})
        EXPECT_FALSE(is_hex_digits(text)) << testing::PrintToString(std::wstring(text));
    login.sid = L"0A;--";
    EXPECT_THROW(recreate_login(login, L"master", sql_server_2019), std::invalid_argument);
}

TEST(StatementTexts, APasswordIsShownAsAsteriskAndNothingElseIs)
{
    // A password that is also part of other words ("sa" in "safety") must
    // leave them alone, and never stand in what is written down.
    platform::Transaction sqlca;  // not connected: the statement fails, and the listener is told all the same
    std::vector<std::wstring> told;
    sqlca.set_statement_listener([&told](const platform::StatementRecord& record) { told.push_back(record.statement); });
    for (const auto& [server, sent, shown] : {
             std::tuple{sql_server_2019,
                        L"CREATE LOGIN [sa_shop] WITH PASSWORD = N'sa', DEFAULT_DATABASE = [safety], CHECK_POLICY = OFF",
                        L"CREATE LOGIN [sa_shop] WITH PASSWORD = N'********', DEFAULT_DATABASE = [safety], "
                        L"CHECK_POLICY = OFF"},
             std::tuple{sql_server_2000, L"dbo.sp_addlogin 'sa_shop','sa',safety",
                        L"dbo.sp_addlogin 'sa_shop','********',safety"},
         }) {
        const platform::Statement statement = add_login(L"sa_shop", L"sa", L"safety", server);
        EXPECT_EQ(statement.sent, sent);
        EXPECT_EQ(statement.shown, shown);
        sqlca.execute_immediate(statement);
        ASSERT_FALSE(told.empty());
        EXPECT_EQ(told.back(), shown);
    }
    // A statement without a password is written down as it is sent.
    sqlca.execute_immediate(drop_login(L"sa_shop"));
    EXPECT_EQ(told.back(), L"dbo.sp_droplogin sa_shop");
}

TEST(StatementTexts, SafetyBackupLeavesTheShopsBackupChainAlone)
{
    const platform::LocalTime time{2026, 3, 4, 5, 6, 7, 890, 480};
    const std::wstring file = safety_backup_file(L"D:\\data", L"mirvox", time);
    EXPECT_EQ(file, L"D:\\data\\mirvox_20260304050607.bak");
    EXPECT_EQ(safety_backup(L"mirvox", file, sql_server_2019),
              L"BACKUP DATABASE mirvox TO DISK = N'D:\\data\\mirvox_20260304050607.bak' WITH COPY_ONLY, INIT, STATS = 10");
    // COPY_ONLY came with SQL Server 2005.
    EXPECT_EQ(safety_backup(L"mirvox", L"C:\\O'Brien\\m.bak", sql_server_2000),
              L"BACKUP DATABASE mirvox TO DISK = N'C:\\O''Brien\\m.bak' WITH INIT, STATS = 10");
    EXPECT_EQ(safety_backup_file(L"D:\\data\\", L"shop", {2026, 12, 31, 23, 59, 58, 0, 0}),
              L"D:\\data\\\\shop_20261231235958.bak");
    EXPECT_EQ(safety_backup_file(L"D:\\data", L"shop", {2026, 12, 31, 23, 59, 58, 0, 0}, 2),
              L"D:\\data\\shop_20261231235958_2.bak") << "a second backup within the same second";
}

TEST(StatementTexts, SafetyBackupGoesBackOntoTheOldDatabasesOwnFiles)
{
    const std::vector<DatabaseFile> files = {{L"mirvox_Data", L"E:\\old\\mirvox_Data.MDF", 0, false},
                                             {L"shop's log", L"E:\\old\\mirvox_Log.LDF", 0, true}};
    EXPECT_EQ(restore_safety_backup(L"mirvox", L"E:\\old\\mirvox_1.bak", files),
              L"RESTORE DATABASE mirvox FROM DISK = N'E:\\old\\mirvox_1.bak' WITH FILE = 1, STATS = 10, RECOVERY, "
              L"REPLACE, MOVE N'mirvox_Data' TO N'E:\\old\\mirvox_Data.MDF', MOVE N'shop''s log' TO "
              L"N'E:\\old\\mirvox_Log.LDF'");
}

TEST(StatementTexts, PreflightQuestionsNameTheirPathsAsLiterals)
{
    EXPECT_EQ(file_exists_query(L"C:\\O'Brien"), L"EXEC master.dbo.xp_fileexist N'C:\\O''Brien'");
    EXPECT_EQ(backup_header_query(L"c:\\zq.tmp"), L"RESTORE HEADERONLY FROM DISK = N'c:\\zq.tmp'");
    EXPECT_EQ(backup_file_list_query(L"c:\\zq.tmp"), L"RESTORE FILELISTONLY FROM DISK = N'c:\\zq.tmp'");
    EXPECT_EQ(new_data_file(L"mirvox", L"D:\\data"), L"D:\\data\\mirvox_Data.MDF");
    EXPECT_EQ(new_log_file(L"mirvox", L"D:\\data\\"), L"D:\\data\\\\mirvox_Log.LDF");
}

TEST(StatementTexts, SingleRowQueriesHaveOnePlaceholderPerValue)
{
    EXPECT_EQ(old_database_query, L"select name from master.dbo.sysdatabases where name =? ");
    EXPECT_EQ(in_use_query,
              L"select count ( a.spid ) from master.dbo.sysprocesses a , master.dbo.sysdatabases b where a.dbid "
              L"=b.dbid and a.loginame =? and b.name =? ");
}

}  // namespace
