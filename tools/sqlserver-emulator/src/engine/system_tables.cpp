// Snapshots of the system tables, built from the catalog on each read, with
// the columns and types SQL Server documents for them.
#include "system_tables.h"

#include <algorithm>

namespace emulator {
namespace {

constexpr int32_t page_size = 8192;
// sysfiles status bits: a disk file, a log file, growth in percent.
constexpr int32_t status_disk_file = 0x2;
constexpr int32_t status_log_file = 0x40;
constexpr int32_t status_percent_growth = 0x100000;

Column sysname(const char16_t* name) { return {name, ColumnType::nvarchar, 128}; }

// CONVERT(sysname, varbinary): the bytes read as UTF-16LE code units.
std::u16string bytes_as_sysname(const Binary& bytes) {
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
    return text;
}

int32_t pages_of(const DatabaseFile& file) {
    std::error_code error;
    const auto bytes = file.host_path.empty() ? 0 : std::filesystem::file_size(file.host_path, error);
    return error ? 0 : static_cast<int32_t>(bytes / page_size);
}

// sid is the owner's login SID.
TableSnapshot sysdatabases(const Catalog& catalog) {
    TableSnapshot table{u"sysdatabases",
                        {sysname(u"name"), {u"dbid", ColumnType::smallint}, {u"sid", ColumnType::varbinary, 85},
                         {u"filename", ColumnType::nvarchar, 260}},
                        {}};
    for (const auto& [name, database] : catalog.databases) {
        Value filename = std::monostate{};
        for (const auto& file : database.files)
            if (file.kind == FileKind::data) {
                filename = file.filename;
                break;
            }
        table.rows.push_back({database.name, database.dbid, database.owner_sid, filename});
    }
    return table;
}

// loginame is nchar(128) on SQL Server; here it is not padded.
TableSnapshot sysprocesses(const Catalog& catalog) {
    TableSnapshot table{u"sysprocesses",
                        {{u"spid", ColumnType::smallint}, {u"dbid", ColumnType::smallint},
                         {u"loginame", ColumnType::nvarchar, 128}},
                        {}};
    for (const auto& [spid, session] : catalog.sessions) {
        if (session.ended) continue;  // its connection is closing
        const auto database = catalog.databases.find(session.database);
        const int32_t dbid = database == catalog.databases.end() ? 0 : database->second.dbid;
        table.rows.push_back({spid, dbid, session.login});
    }
    return table;
}

// sys.syslogins as SQL Server defines it over sys.server_principals: status 9
// for a login granted access, the access date as the creation date, zero for
// the limits it no longer keeps, and the password hash read as a sysname;
// isntname and isntuser 1 for a Windows login, which has no password here.
// SQL Server 2000's own table kept the hash as varbinary(256).
TableSnapshot syslogins(const Catalog& catalog, const ServerVersion& server) {
    const bool binary_password = server.major < 9;
    TableSnapshot table{u"syslogins",
                        {{u"sid", ColumnType::varbinary, 85}, {u"status", ColumnType::smallint},
                         {u"createdate", ColumnType::datetime}, {u"updatedate", ColumnType::datetime},
                         {u"accdate", ColumnType::datetime}, {u"totcpu", ColumnType::int32},
                         {u"totio", ColumnType::int32}, {u"spacelimit", ColumnType::int32},
                         {u"timelimit", ColumnType::int32}, {u"resultlimit", ColumnType::int32}, sysname(u"name"),
                         sysname(u"dbname"),
                         binary_password ? Column{u"password", ColumnType::varbinary, 256} : sysname(u"password"),
                         sysname(u"language"),
                         {u"denylogin", ColumnType::int32}, {u"hasaccess", ColumnType::int32},
                         {u"isntname", ColumnType::int32}, {u"isntgroup", ColumnType::int32},
                         {u"isntuser", ColumnType::int32}, {u"sysadmin", ColumnType::int32},
                         {u"securityadmin", ColumnType::int32}, {u"serveradmin", ColumnType::int32},
                         {u"setupadmin", ColumnType::int32}, {u"processadmin", ColumnType::int32},
                         {u"diskadmin", ColumnType::int32}, {u"dbcreator", ColumnType::int32},
                         {u"bulkadmin", ColumnType::int32}, {u"loginname", ColumnType::nvarchar, 128}},
                        {}};
    for (const auto& [name, login] : catalog.logins) {
        const Value created = login.created ? Value(*login.created) : Value(std::monostate{});
        const Value modified = login.modified ? Value(*login.modified) : Value(std::monostate{});
        const Value password = login.windows          ? Value(std::monostate{})
                               : binary_password ? Value(login.password_hash)
                                                 : Value(bytes_as_sysname(login.password_hash));
        const int32_t windows = login.windows ? 1 : 0;
        table.rows.push_back({login.sid, 9, created, modified, created, 0, 0, 0, 0, 0, login.name,
                              login.default_database, password, login.default_language, 0, 1, windows, 0, windows,
                              login.sysadmin ? 1 : 0, 0, 0, 0, 0, 0, 0, 0, login.name});
    }
    return table;
}

// The columns of sys.sysfiles, and of sys.sysaltfiles with dbid before name.
std::vector<Column> file_columns(bool with_dbid) {
    std::vector<Column> columns = {{u"fileid", ColumnType::smallint}, {u"groupid", ColumnType::smallint},
                                   {u"size", ColumnType::int32},      {u"maxsize", ColumnType::int32},
                                   {u"growth", ColumnType::int32},    {u"status", ColumnType::int32},
                                   {u"perf", ColumnType::int32}};
    if (with_dbid) columns.push_back({u"dbid", ColumnType::smallint});
    columns.push_back(sysname(u"name"));
    columns.push_back({u"filename", ColumnType::nvarchar, 260});
    return columns;
}

void add_file_rows(TableSnapshot& table, const Database& database, bool with_dbid) {
    const std::vector<int32_t> ids = file_ids(database.files);
    std::vector<size_t> order(database.files.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return ids[a] < ids[b]; });
    for (size_t i : order) {
        const DatabaseFile& file = database.files[i];
        const bool log = file.kind == FileKind::log;
        const int32_t status =
            status_disk_file | (log ? status_log_file : 0) | (file.growth_percent ? status_percent_growth : 0);
        std::vector<Value> row = {ids[i], log ? 0 : 1, pages_of(file), file.max_pages, file.growth, status, 0};
        if (with_dbid) row.push_back(database.dbid);
        row.push_back(file.logical);
        row.push_back(file.filename);
        table.rows.push_back(std::move(row));
    }
}

TableSnapshot sysfiles(const Database& database) {
    TableSnapshot table{u"sysfiles", file_columns(false), {}};
    add_file_rows(table, database, false);
    return table;
}

// One row per file of every database, in database id order.
TableSnapshot sysaltfiles(const Catalog& catalog) {
    TableSnapshot table{u"sysaltfiles", file_columns(true), {}};
    std::vector<const Database*> databases;
    for (const auto& [name, database] : catalog.databases) databases.push_back(&database);
    std::sort(databases.begin(), databases.end(), [](auto* a, auto* b) { return a->dbid < b->dbid; });
    for (const Database* database : databases) add_file_rows(table, *database, true);
    return table;
}

// msdb's SQL Server Agent jobs, with the columns of dbo.sysjobs. The
// stand-in runs no agent and keeps no jobs: the table is empty, as on a
// shop's server where nobody has made one.
TableSnapshot sysjobs() {
    const auto number = [](const char16_t* name) { return Column{name, ColumnType::int32}; };
    return {u"sysjobs",
            {{u"job_id", ColumnType::uniqueidentifier}, number(u"originating_server_id"), sysname(u"name"),
             {u"enabled", ColumnType::tinyint}, {u"description", ColumnType::nvarchar, 512}, number(u"start_step_id"),
             number(u"category_id"), {u"owner_sid", ColumnType::varbinary, 85}, number(u"notify_level_eventlog"),
             number(u"notify_level_email"), number(u"notify_level_netsend"), number(u"notify_level_page"),
             number(u"notify_email_operator_id"), number(u"notify_netsend_operator_id"),
             number(u"notify_page_operator_id"), number(u"delete_level"), {u"date_created", ColumnType::datetime},
             {u"date_modified", ColumnType::datetime}, number(u"version_number")},
            {}};
}

}  // namespace

std::optional<TableSnapshot> system_table(const Catalog& catalog, const Database& database,
                                          const ServerVersion& server, const std::u16string& name) {
    if (equals_ci(name, u"sysdatabases")) return sysdatabases(catalog);
    if (equals_ci(name, u"sysprocesses")) return sysprocesses(catalog);
    if (equals_ci(name, u"syslogins")) return syslogins(catalog, server);
    if (equals_ci(name, u"sysaltfiles")) return sysaltfiles(catalog);
    if (equals_ci(name, u"sysfiles")) return sysfiles(database);
    if (equals_ci(name, u"sysjobs") && equals_ci(database.name, u"msdb")) return sysjobs();
    return std::nullopt;
}

}  // namespace emulator
