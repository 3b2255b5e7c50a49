// The statement texts the pipeline sends, character for character.
#include "statements.h"

#include <gtest/gtest.h>

namespace {

using namespace install::statements;
using install::StoreMode;

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
    EXPECT_EQ(add_application_login(L"mirvox"), L"dbo.sp_addlogin 'mirvox','rovtakl',mirvox");
    EXPECT_EQ(grant_sysadmin, L"dbo.sp_addsrvrolemember 'mirvox', sysadmin");
    EXPECT_EQ(set_default_database(L"mirvox", L"mirvox"), L"exec dbo.sp_defaultdb N'mirvox', N'mirvox'");
    EXPECT_EQ(use_database(L"mirvox"), L"use mirvox");
}

TEST(StatementTexts, OtherNamesGoWhereTheDatabaseNameGoes)
{
    // The created login stays mirvox; the default database is set for the configured login.
    EXPECT_EQ(add_application_login(L"门店库"), L"dbo.sp_addlogin 'mirvox','rovtakl',门店库");
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

TEST(StatementTexts, SingleRowQueriesHaveOnePlaceholderPerValue)
{
    EXPECT_EQ(old_database_query, L"select name from master.dbo.sysdatabases where name =? ");
    EXPECT_EQ(in_use_query,
              L"select count ( a.spid ) from master.dbo.sysprocesses a , master.dbo.sysdatabases b where a.dbid "
              L"=b.dbid and a.loginame =? and b.name =? ");
}

}  // namespace
