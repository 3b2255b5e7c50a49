// The server's catalog: databases with their files and tables, logins and
// the open sessions. Plain data; the engine guards it with its lock.
#pragma once

#include "instance_settings.h"
#include "response_sink.h"
#include "text.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace emulator {

struct TableColumn {
    std::u16string name;
    std::u16string type;  // INT, NVARCHAR, VARCHAR, NCHAR or CHAR
    int32_t length = 0;   // characters; 0 for INT, -1 for MAX
    bool nullable = true;
};

struct Table {
    std::u16string name;
    std::vector<TableColumn> columns;
    std::vector<std::vector<Value>> rows;
};

enum class FileKind { data, log };

// Limits and growth in 8-KB pages, as sysaltfiles shows them. Without MAXSIZE a
// data file may grow until the disk is full (-1) and a log file to 2 TB;
// without FILEGROWTH both grow by 64 MB (SQL Server 2016 and later).
inline constexpr int32_t unlimited_pages = -1;
inline constexpr int32_t log_limit_pages = 268435456;
inline constexpr int32_t default_growth_pages = 8192;

struct DatabaseFile {
    std::u16string logical;
    std::u16string filename;          // as the statement named it (a Windows path)
    std::filesystem::path host_path;  // where it lives here; empty for the system databases
    FileKind kind = FileKind::data;
    int32_t max_pages = unlimited_pages;
    int32_t growth = default_growth_pages;  // pages, or percent when growth_percent
    bool growth_percent = false;
};

// The limit a file gets when none is given.
inline int32_t default_max_pages(FileKind kind) { return kind == FileKind::log ? log_limit_pages : unlimited_pages; }

// SQL Server's file ids: the first data file 1, the first log file 2, the
// others from 3 in the order they were named.
std::vector<int32_t> file_ids(const std::vector<DatabaseFile>& files);

// A database user that CREATE USER made, mapped to the login of its SID.
// dbo, guest, INFORMATION_SCHEMA and sys exist in every database and are not
// kept here.
struct DatabaseUser {
    std::u16string name;
    int32_t principal_id = 0;
    Binary sid;
    std::u16string default_schema;
    std::optional<DateTime> created;
};

// sys.databases.user_access.
enum class UserAccess : int32_t { multi_user = 0, single_user = 1, restricted_user = 2 };

struct Database {
    std::u16string name;
    int32_t dbid = 0;
    std::vector<DatabaseFile> files;
    std::map<std::u16string, Table, LessCi> tables;
    std::optional<DateTime> created;  // unknown for catalogs written before it was kept
    Binary owner_sid;                 // the login dbo maps to
    std::map<std::u16string, DatabaseUser, LessCi> users;
    UserAccess user_access = UserAccess::multi_user;
    int32_t compatibility_level = 0;  // 0: the server's own
    // The session that holds a SINGLE_USER database: the one that set the
    // mode, else the first to enter after the holder left. Not persisted.
    std::optional<int> holder;
};

// A SQL Server authentication login.
struct Login {
    std::u16string name;
    int32_t principal_id = 0;
    Binary sid;
    Binary password_hash;  // in PWDENCRYPT's form
    std::u16string default_database;
    std::u16string default_language = u"us_english";
    bool sysadmin = false;
    // A Windows login, given on the command line for this run and never
    // written to the catalog file; Windows checks its password.
    bool windows = false;
    bool disabled = false;
    bool check_policy = true;
    bool check_expiration = false;
    std::optional<DateTime> created;
    std::optional<DateTime> modified;
};

struct Session {
    int spid = 0;
    std::u16string login;
    std::u16string database;
    bool quoted_identifier = false;
    ConnectionInfo connection;
    // The server ended the session: it runs nothing more and its connection
    // is closing.
    bool ended = false;
    std::function<void()> end_connection{};  // set by the protocol layer
};

struct Catalog {
    std::map<std::u16string, Database, LessCi> databases;
    std::map<std::u16string, Login, LessCi> logins;
    std::map<int, Session> sessions;  // not persisted: sessions end with the process
    // Databases whose files a RESTORE is writing; nobody may enter, drop or
    // create them meanwhile.
    std::set<std::u16string, LessCi> restoring;

    Database* find_database(const std::u16string& name);
    Login* find_login(const std::u16string& name);
    Login* find_login_by_sid(const Binary& sid);
    Session& session(int spid);  // the spid must be open
    // Some session other than `except` has it as its current database.
    bool database_in_use(const std::u16string& name, int except = 0) const;
    // The sessions other than `except` whose current database it is.
    std::vector<int> sessions_in(const std::u16string& name, int except = 0) const;
    bool is_restoring(const std::u16string& name) const { return restoring.count(name) > 0; }
    // The database other than `except` that holds a file at this host path.
    const Database* owner_of_file(const std::filesystem::path& host_path, const std::u16string& except) const;
    int32_t free_dbid() const;
    // The next principal_id for a login.
    int32_t free_login_principal_id() const;
};

// master, tempdb, model and msdb, as a fresh server has them.
void add_system_databases(Catalog& catalog);
bool is_system_database(const std::u16string& name);

}  // namespace emulator
