// The server's catalog: databases with their files and tables, logins and
// the open sessions. Plain data; the engine guards it with its lock.
#pragma once

#include "instance_settings.h"
#include "response_sink.h"
#include "text.h"

#include <cstdint>
#include <filesystem>
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

struct Database {
    std::u16string name;
    int32_t dbid = 0;
    std::vector<DatabaseFile> files;
    std::map<std::u16string, Table, LessCi> tables;
    std::optional<DateTime> created;  // unknown for catalogs written before it was kept
};

struct Login {
    std::u16string name;
    std::u16string password;
    std::u16string default_database;
    bool sysadmin = false;
    // A Windows login, given on the command line for this run and never
    // written to the catalog file; Windows checks its password.
    bool windows = false;
};

struct Session {
    int spid = 0;
    std::u16string login;
    std::u16string database;
    bool quoted_identifier = false;
    ConnectionInfo connection;
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
    Session& session(int spid);  // the spid must be open
    bool database_in_use(const std::u16string& name) const;  // some session's current database
    bool is_restoring(const std::u16string& name) const { return restoring.count(name) > 0; }
    // The database other than `except` that holds a file at this host path.
    const Database* owner_of_file(const std::filesystem::path& host_path, const std::u16string& except) const;
    int32_t free_dbid() const;
};

// master, tempdb, model and msdb, as a fresh server has them.
void add_system_databases(Catalog& catalog);
bool is_system_database(const std::u16string& name);

}  // namespace emulator
