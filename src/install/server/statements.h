// Every statement text the install pipeline sends, built from the names and
// paths of one run. Texts placed inside quoted literals have their single
// quotes doubled; the names go in bare, so they must be regular identifiers
// (see identifier.h).
#pragma once

#include "install/install_form.h"
#include "install/server/server_facts.h"
#include "install/server/server_version.h"
#include "platform/odbc/statement.h"

#include <string>
#include <vector>

namespace platform {
struct LocalTime;
}

namespace install::statements {

// The login the installed system works under, and its fixed password.
extern const std::wstring application_login;
extern const std::wstring application_password;

// Single-row and many-row queries; each `?` takes a value as a Unicode literal.
extern const std::wstring old_database_query;     // values: database name
extern const std::wstring in_use_query;           // values: login, database name
extern const std::wstring database_files_query;   // values: database name; rows: name, filename, size in pages, groupid
extern const std::wstring login_query;            // values: login; row: name, dbname, sysadmin
// What it takes to make a login again: values: login; row: name, dbname,
// language, sid, one column per fixed server role (1: a member), and before
// SQL Server 2005 password (the hash).
std::wstring login_details_query(ServerVersion server);
// SQL Server 2005 and later: values: login; row: password_hash, is_disabled,
// is_policy_checked, is_expiration_checked.
extern const std::wstring sql_login_query;
// What would keep a login from being dropped, each a column of names:
extern const std::wstring login_sessions_query;    // values: login; rows: the database each session uses
extern const std::wstring login_databases_query;   // values: login; rows: the databases it owns
extern const std::wstring login_jobs_query;        // values: login; rows: the SQL Server Agent jobs it owns
// SQL Server 2005 and later: row: state_desc (ONLINE, RESTORING, ...), user_access_desc (MULTI_USER, ...).
extern const std::wstring database_state_query;   // values: database name

// The pre-flight's questions.
extern const std::wstring is_sysadmin_query;      // 1 when the connected login is a sysadmin
extern const std::wstring server_identity_query;  // MachineName, ComputerNamePhysicalNetBIOS, ProductVersion
extern const std::wstring fixed_drives_query;     // rows: drive letter, MB free
extern const std::wstring logins_and_instance_query;  // IsIntegratedSecurityOnly, InstanceName (NULL: the default instance)
extern const std::wstring own_connection_query;   // row: net_transport, local_tcp_port of this session
extern const std::wstring own_login_query;        // the login this connection works under
extern const std::wstring engine_edition_query;   // 4 for Express
// A dry run's questions.
extern const std::wstring edition_query;          // SERVERPROPERTY('Edition')
extern const std::wstring database_sessions_query;  // values: database name; every session in it
std::wstring file_exists_query(const std::wstring& path);  // row: file exists, is a directory, parent exists
std::wstring backup_header_query(const std::wstring& device);
std::wstring backup_file_list_query(const std::wstring& device);

// The new database's two files in the data path.
std::wstring new_data_file(const std::wstring& database, const std::wstring& data_path);
std::wstring new_log_file(const std::wstring& database, const std::wstring& data_path);

// Where the old database is backed up before it is dropped:
// <data path>\<database>_<yyyymmddhhmmss>.bak, and for the n-th file of the
// same second <database>_<yyyymmddhhmmss>_<n>.bak.
std::wstring safety_backup_file(const std::wstring& data_path, const std::wstring& database,
                                const platform::LocalTime& time, int nth = 1);

std::wstring safety_backup(const std::wstring& database, const std::wstring& device, ServerVersion server);
std::wstring drop_database(const std::wstring& database);
// Ends every other session in the database and keeps everyone else out.
std::wstring keep_others_out(const std::wstring& database);
// Gives the database back the user access it had ("MULTI_USER", "RESTRICTED_USER", "SINGLE_USER").
std::wstring set_user_access(const std::wstring& database, const std::wstring& access);
std::wstring drop_login(const std::wstring& login);
std::wstring create_database(const std::wstring& database, const std::wstring& data_path);
std::wstring restore_database(const std::wstring& database, const std::wstring& device,
                              const std::wstring& data_path);
// The old database put back from its safety backup onto its own files.
std::wstring restore_safety_backup(const std::wstring& database, const std::wstring& device,
                                   const std::vector<DatabaseFile>& files);
// CREATE LOGIN without the password policy on servers that have it,
// sp_addlogin on older ones; shown with the password as asterisks.
platform::Statement add_login(const std::wstring& login, const std::wstring& password,
                              const std::wstring& default_database, ServerVersion server);
platform::Statement add_application_login(const std::wstring& database, ServerVersion server);
// The login made again with its own SID, password hash, language and policy
// flags, its default database being `default_database`; the record's SID and
// hash must be hexadecimal digits (is_hex_digits). Shown without the hash.
platform::Statement recreate_login(const LoginRecord& login, const std::wstring& default_database,
                                   ServerVersion server);
bool is_hex_digits(const std::wstring& text);
// The fixed server roles, as syslogins names its columns for them.
extern const std::vector<std::wstring> fixed_server_roles;
// `role` must be one of fixed_server_roles.
std::wstring add_server_role_member(const std::wstring& login, const std::wstring& role);
std::wstring grant_sysadmin(const std::wstring& login);
std::wstring disable_login(const std::wstring& login);
std::wstring set_default_database(const std::wstring& login, const std::wstring& database);
std::wstring use_database(const std::wstring& database);
extern const std::wstring delete_store_mode;
extern const std::wstring store_mode_query;  // the Is_Distributed row's value, in the current database
std::wstring insert_store_mode(StoreMode mode);

}  // namespace install::statements
