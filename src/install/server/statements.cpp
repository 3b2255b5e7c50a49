// The statement texts, character for character as the server expects them.
#include "install/server/statements.h"

#include "install/server/identifier.h"
#include "platform/clock.h"
#include "platform/odbc/string_literal.h"

#include <cstdio>
#include <stdexcept>

namespace install::statements {

using platform::bracketed;
using platform::double_single_quotes;
using platform::unicode_literal;

const std::wstring application_login = L"mirvox";
const std::wstring application_password = L"rovtakl";

const std::wstring old_database_query = L"select name from master.dbo.sysdatabases where name =? ";

const std::wstring in_use_query =
    L"select count ( a.spid ) from master.dbo.sysprocesses a , master.dbo.sysdatabases b "
    L"where a.dbid =b.dbid and a.loginame =? and b.name =? ";

// sysaltfiles and syslogins answer alike from SQL Server 2000 to today.
const std::wstring database_files_query =
    L"select a.name, a.filename, a.size, a.groupid from master.dbo.sysaltfiles a , master.dbo.sysdatabases b "
    L"where a.dbid =b.dbid and b.name =? ";

const std::wstring login_query = L"select name, dbname, sysadmin from master.dbo.syslogins where name =? ";

std::wstring login_details_query(ServerVersion server)
{
    std::wstring columns = L"name, dbname, language, sid";
    for (const std::wstring& role : fixed_server_roles)
        columns += L", " + role;
    // From SQL Server 2005 on, syslogins shows the hash only as a sysname:
    // sys.sql_logins has it whole.
    if (!knows_create_login(server))
        columns += L", password";
    return L"select " + columns + L" from master.dbo.syslogins where name =? ";
}

const std::wstring sql_login_query =
    L"select password_hash, is_disabled, is_policy_checked, is_expiration_checked from master.sys.sql_logins "
    L"where name =? ";

const std::wstring login_sessions_query =
    L"select b.name from master.dbo.sysprocesses a , master.dbo.sysdatabases b where a.dbid =b.dbid and a.loginame =? ";

const std::wstring login_databases_query =
    L"select b.name from master.dbo.sysdatabases b , master.dbo.syslogins l where b.sid =l.sid and l.name =? ";

const std::wstring login_jobs_query =
    L"select j.name from msdb.dbo.sysjobs j , master.dbo.syslogins l where j.owner_sid =l.sid and l.name =? ";

const std::wstring database_state_query =
    L"select state_desc, user_access_desc from master.sys.databases where name =? ";

const std::wstring is_sysadmin_query = L"SELECT IS_SRVROLEMEMBER('sysadmin')";

// SERVERPROPERTY answers sql_variant; as text every driver reads it alike.
const std::wstring server_identity_query =
    L"SELECT CONVERT(nvarchar(128), SERVERPROPERTY('MachineName')), "
    L"CONVERT(nvarchar(128), SERVERPROPERTY('ComputerNamePhysicalNetBIOS')), "
    L"CONVERT(nvarchar(128), SERVERPROPERTY('ProductVersion'))";

const std::wstring fixed_drives_query = L"EXEC master.dbo.xp_fixeddrives";

const std::wstring logins_and_instance_query =
    L"SELECT CONVERT(nvarchar(128), SERVERPROPERTY('IsIntegratedSecurityOnly')), "
    L"CONVERT(nvarchar(128), SERVERPROPERTY('InstanceName'))";

const std::wstring own_connection_query =
    L"SELECT net_transport, local_tcp_port FROM sys.dm_exec_connections WHERE session_id = @@SPID";

const std::wstring own_login_query = L"SELECT SUSER_SNAME()";

const std::wstring engine_edition_query = L"SELECT CONVERT(nvarchar(128), SERVERPROPERTY('EngineEdition'))";

const std::vector<std::wstring> fixed_server_roles = {L"sysadmin",     L"securityadmin", L"serveradmin", L"setupadmin",
                                                       L"processadmin", L"diskadmin",     L"dbcreator",   L"bulkadmin"};

const std::wstring edition_query = L"SELECT CONVERT(nvarchar(128), SERVERPROPERTY('Edition'))";

const std::wstring database_sessions_query =
    L"select count ( a.spid ) from master.dbo.sysprocesses a , master.dbo.sysdatabases b "
    L"where a.dbid =b.dbid and b.name =? ";

const std::wstring delete_store_mode = L"Delete from t_sys_system where sys_var_id =\"Is_Distributed\" ";

const std::wstring store_mode_query = L"select sys_var_value from t_sys_system where sys_var_id = 'Is_Distributed'";

std::wstring file_exists_query(const std::wstring& path)
{
    return L"EXEC master.dbo.xp_fileexist " + unicode_literal(path);
}

std::wstring backup_header_query(const std::wstring& device)
{
    return L"RESTORE HEADERONLY FROM DISK = " + unicode_literal(device);
}

std::wstring backup_file_list_query(const std::wstring& device)
{
    return L"RESTORE FILELISTONLY FROM DISK = " + unicode_literal(device);
}

std::wstring new_data_file(const std::wstring& database, const std::wstring& data_path)
{
    return data_path + L"\\" + database + L"_Data.MDF";
}

std::wstring new_log_file(const std::wstring& database, const std::wstring& data_path)
{
    return data_path + L"\\" + database + L"_Log.LDF";
}

std::wstring safety_backup_file(const std::wstring& data_path, const std::wstring& database,
                                const platform::LocalTime& time, int nth)
{
    wchar_t stamp[16];
    std::swprintf(stamp, std::size(stamp), L"%04d%02d%02d%02d%02d%02d", time.year, time.month, time.day, time.hour,
                  time.minute, time.second);
    const std::wstring copy = nth > 1 ? L"_" + std::to_wstring(nth) : L"";
    return data_path + L"\\" + database + L"_" + stamp + copy + L".bak";
}

std::wstring safety_backup(const std::wstring& database, const std::wstring& device, ServerVersion server)
{
    // COPY_ONLY leaves the shop's own backup chain as it was.
    const std::wstring options =
        knows_create_login(server) ? L" WITH COPY_ONLY, INIT, STATS = 10" : L" WITH INIT, STATS = 10";
    return L"BACKUP DATABASE " + database + L" TO DISK = " + unicode_literal(device) + options;
}

std::wstring drop_database(const std::wstring& database)
{
    return L"Drop DATABASE " + database;
}

std::wstring keep_others_out(const std::wstring& database)
{
    return L"ALTER DATABASE " + database + L" SET SINGLE_USER WITH ROLLBACK IMMEDIATE";
}

std::wstring set_user_access(const std::wstring& database, const std::wstring& access)
{
    return L"ALTER DATABASE " + database + L" SET " + access;
}

std::wstring drop_login(const std::wstring& login)
{
    return L"dbo.sp_droplogin " + login;
}

std::wstring create_database(const std::wstring& database, const std::wstring& data_path)
{
    const std::wstring name = double_single_quotes(database);
    return L"CREATE DATABASE " + database + L"  ON PRIMARY (NAME = N'" + name + L"_Data', FILENAME = N'" +
           double_single_quotes(new_data_file(database, data_path)) +
           L"' , SIZE = 12, FILEGROWTH = 30%) LOG ON (NAME = N'" + name + L"_Log', FILENAME = N'" +
           double_single_quotes(new_log_file(database, data_path)) + L"' , SIZE = 12, FILEGROWTH = 30%)";
}

std::wstring restore_database(const std::wstring& database, const std::wstring& device,
                              const std::wstring& data_path)
{
    return L"RESTORE DATABASE " + database + L" FROM  DISK = N'" + double_single_quotes(device) +
           L"' WITH  FILE = 1,  NOUNLOAD ,  STATS = 10,  RECOVERY ,  REPLACE " + L",MOVE 'mirvox_log' TO N'" +
           double_single_quotes(new_log_file(database, data_path)) + L"'" + L",MOVE 'mirvox_data' TO N'" +
           double_single_quotes(new_data_file(database, data_path)) + L"'";
}

std::wstring restore_safety_backup(const std::wstring& database, const std::wstring& device,
                                   const std::vector<DatabaseFile>& files)
{
    std::wstring text = L"RESTORE DATABASE " + database + L" FROM DISK = " + unicode_literal(device) +
                        L" WITH FILE = 1, STATS = 10, RECOVERY, REPLACE";
    for (const DatabaseFile& file : files)
        text += L", MOVE " + unicode_literal(file.logical_name) + L" TO " + unicode_literal(file.physical_name);
    return text;
}

platform::Statement add_login(const std::wstring& login, const std::wstring& password,
                              const std::wstring& default_database, ServerVersion server)
{
    const auto text = [&](const std::wstring& password_text) -> std::wstring {
        // The application's password is fixed and short: a server that
        // enforces Windows' password policy would refuse it.
        if (knows_create_login(server))
            return L"CREATE LOGIN " + bracketed(login) + L" WITH PASSWORD = " + unicode_literal(password_text) +
                   L", DEFAULT_DATABASE = " + bracketed(default_database) + L", CHECK_POLICY = OFF";
        const std::wstring database =
            is_regular_identifier(default_database) ? default_database : unicode_literal(default_database);
        return L"dbo.sp_addlogin '" + double_single_quotes(login) + L"','" + double_single_quotes(password_text) +
               L"'," + database;
    };
    return {text(password), text(platform::hidden_password)};
}

platform::Statement add_application_login(const std::wstring& database, ServerVersion server)
{
    return add_login(application_login, application_password, database, server);
}

bool is_hex_digits(const std::wstring& text)
{
    return !text.empty() && text.size() % 2 == 0 &&
           text.find_first_not_of(L"0123456789ABCDEFabcdef") == std::wstring::npos;
}

platform::Statement recreate_login(const LoginRecord& login, const std::wstring& default_database,
                                   ServerVersion server)
{
    if (!is_hex_digits(login.sid) || !is_hex_digits(login.password_hash))
        throw std::invalid_argument("a login's SID and password hash must be hexadecimal digits");
    const auto text = [&](const std::wstring& password_hash) -> std::wstring {
        if (!knows_create_login(server)) {
            // skip_encryption takes the password as the hash it already is.
            const std::wstring language =
                login.default_language.empty() ? L"NULL" : unicode_literal(login.default_language);
            return L"EXEC dbo.sp_addlogin " + unicode_literal(login.name) + L", " + password_hash + L", " +
                   unicode_literal(default_database) + L", " + language + L", 0x" + login.sid + L", 'skip_encryption'";
        }
        std::wstring text = L"CREATE LOGIN " + bracketed(login.name) + L" WITH PASSWORD = " + password_hash +
                            L" HASHED, SID = 0x" + login.sid + L", DEFAULT_DATABASE = " + bracketed(default_database);
        if (!login.default_language.empty())
            text += L", DEFAULT_LANGUAGE = " + bracketed(login.default_language);
        return text + L", CHECK_POLICY = " + (login.policy_checked ? L"ON" : L"OFF") + L", CHECK_EXPIRATION = " +
               (login.expiration_checked ? L"ON" : L"OFF");
    };
    return {text(L"0x" + login.password_hash), text(platform::hidden_password)};
}

std::wstring add_server_role_member(const std::wstring& login, const std::wstring& role)
{
    return L"dbo.sp_addsrvrolemember '" + double_single_quotes(login) + L"', " + role;
}

std::wstring grant_sysadmin(const std::wstring& login)
{
    return add_server_role_member(login, L"sysadmin");
}

std::wstring disable_login(const std::wstring& login)
{
    return L"ALTER LOGIN " + bracketed(login) + L" DISABLE";
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
