// Snapshots of the system tables, built from the catalog on each read.
#include "system_tables.h"

namespace emulator {
namespace {

constexpr int32_t page_size = 8192;

int32_t pages_of(const DatabaseFile& file) {
    std::error_code error;
    const auto bytes = file.host_path.empty() ? 0 : std::filesystem::file_size(file.host_path, error);
    return error ? 0 : static_cast<int32_t>(bytes / page_size);
}

TableSnapshot sysdatabases(const Catalog& catalog) {
    TableSnapshot table{u"sysdatabases",
                        {{u"name", ColumnType::nvarchar}, {u"dbid", ColumnType::int32}, {u"filename", ColumnType::nvarchar}},
                        {}};
    for (const auto& [name, database] : catalog.databases) {
        Value filename = std::monostate{};
        for (const auto& file : database.files)
            if (file.kind == FileKind::data) {
                filename = file.filename;
                break;
            }
        table.rows.push_back({database.name, database.dbid, filename});
    }
    return table;
}

TableSnapshot sysprocesses(const Catalog& catalog) {
    TableSnapshot table{u"sysprocesses",
                        {{u"spid", ColumnType::int32}, {u"dbid", ColumnType::int32}, {u"loginame", ColumnType::nvarchar}},
                        {}};
    for (const auto& [spid, session] : catalog.sessions) {
        const auto database = catalog.databases.find(session.database);
        const int32_t dbid = database == catalog.databases.end() ? 0 : database->second.dbid;
        table.rows.push_back({spid, dbid, session.login});
    }
    return table;
}

TableSnapshot syslogins(const Catalog& catalog) {
    TableSnapshot table{u"syslogins",
                        {{u"name", ColumnType::nvarchar}, {u"dbname", ColumnType::nvarchar}, {u"sysadmin", ColumnType::int32}},
                        {}};
    for (const auto& [name, login] : catalog.logins)
        table.rows.push_back({login.name, login.default_database, login.sysadmin ? 1 : 0});
    return table;
}

TableSnapshot sysfiles(const Database& database) {
    TableSnapshot table{u"sysfiles",
                        {{u"fileid", ColumnType::int32}, {u"name", ColumnType::nvarchar},
                         {u"filename", ColumnType::nvarchar}, {u"size", ColumnType::int32}},
                        {}};
    int32_t fileid = 1;
    for (const auto& file : database.files)
        table.rows.push_back({fileid++, file.logical, file.filename, pages_of(file)});
    return table;
}

}  // namespace

std::optional<TableSnapshot> system_table(const Catalog& catalog, const Database& database,
                                          const std::u16string& name) {
    if (equals_ci(name, u"sysdatabases")) return sysdatabases(catalog);
    if (equals_ci(name, u"sysprocesses")) return sysprocesses(catalog);
    if (equals_ci(name, u"syslogins")) return syslogins(catalog);
    if (equals_ci(name, u"sysfiles")) return sysfiles(database);
    return std::nullopt;
}

}  // namespace emulator
