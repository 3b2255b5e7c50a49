// The statement texts, character for character as the server expects them.
#include "statements.h"

#include "platform/odbc/string_literal.h"

namespace install::statements {

using platform::double_single_quotes;

const std::wstring old_database_query = L"select name from master.dbo.sysdatabases where name =? ";

const std::wstring in_use_query =
    L"select count ( a.spid ) from master.dbo.sysprocesses a , master.dbo.sysdatabases b "
    L"where a.dbid =b.dbid and a.loginame =? and b.name =? ";

const std::wstring grant_sysadmin = L"dbo.sp_addsrvrolemember 'mirvox', sysadmin";

const std::wstring delete_store_mode = L"Delete from t_sys_system where sys_var_id =\"Is_Distributed\" ";

std::wstring drop_database(const std::wstring& database)
{
    return L"Drop DATABASE " + database;
}

std::wstring drop_login(const std::wstring& login)
{
    return L"dbo.sp_droplogin " + login;
}

std::wstring create_database(const std::wstring& database, const std::wstring& data_path)
{
    const std::wstring name = double_single_quotes(database);
    const std::wstring path = double_single_quotes(data_path);
    return L"CREATE DATABASE " + database + L"  ON PRIMARY (NAME = N'" + name + L"_Data', FILENAME = N'" + path +
           L"\\" + name + L"_Data.MDF' , SIZE = 12, FILEGROWTH = 30%) LOG ON (NAME = N'" + name +
           L"_Log', FILENAME = N'" + path + L"\\" + name + L"_Log.LDF' , SIZE = 12, FILEGROWTH = 30%)";
}

std::wstring restore_database(const std::wstring& database, const std::wstring& staging_path,
                              const std::wstring& data_path)
{
    const std::wstring name = double_single_quotes(database);
    const std::wstring path = double_single_quotes(data_path);
    return L"RESTORE DATABASE " + database + L" FROM  DISK = N'" + double_single_quotes(staging_path) +
           L"' WITH  FILE = 1,  NOUNLOAD ,  STATS = 10,  RECOVERY ,  REPLACE " + L",MOVE 'mirvox_log' TO N'" +
           path + L"\\" + name + L"_Log.LDF'" + L",MOVE 'mirvox_data' TO N'" + path + L"\\" + name +
           L"_Data.MDF'";
}

std::wstring add_application_login(const std::wstring& database)
{
    return L"dbo.sp_addlogin 'mirvox','rovtakl'," + database;
}

std::wstring set_default_database(const std::wstring& login, const std::wstring& database)
{
    return L"exec dbo.sp_defaultdb N'" + double_single_quotes(login) + L"', N'" + double_single_quotes(database) +
           L"'";
}

std::wstring use_database(const std::wstring& database)
{
    return L"use " + database;
}

std::wstring insert_store_mode(StoreMode mode)
{
    const wchar_t* row = L"'Is_Distributed' , '单店' , '0' , '' , '1'";
    if (mode == StoreMode::chain_headquarters)
        row = L"'Is_Distributed' , '总部' , '1' , '' , '1'";
    else if (mode == StoreMode::chain_branch)
        row = L"'Is_Distributed' , '分店/配送中心' , '2' , '' , '1'";
    return std::wstring(L"insert into t_sys_system ( sys_var_id , sys_var_name , sys_var_value , sys_ver_flag , "
                        L"sys_inited ) values ( ") +
           row + L" ) ";
}

}  // namespace install::statements
