// The catalog views with the columns, types and values of SQL Server's own
// view definitions (sp_helptext of sys.sql_logins, sys.server_principals,
// sys.database_principals): is_disabled is bit in both login views, fixed
// server roles have principal_id 2 to 10 and are owned by sa, guest has no
// authentication type and the users mapped to logins have INSTANCE.
#include "catalog_views.h"

#include "principals.h"
#include "server_release.h"

#include <algorithm>

namespace emulator {
namespace {

const Value null = std::monostate{};

Column sysname(const char16_t* name) { return {name, ColumnType::nvarchar, 128}; }
Column typed(const char16_t* name, ColumnType type) { return {name, type}; }
Column description(const char16_t* name) { return {name, ColumnType::nvarchar, 60}; }
Column sid_column(const char16_t* name) { return {name, ColumnType::varbinary, 85}; }
Column type_column() { return {u"type", ColumnType::character, 1}; }

Value text(const char16_t* value) { return std::u16string(value); }
Value date(const std::optional<DateTime>& value) { return value ? Value(*value) : null; }

// The columns sys.sql_logins and sys.server_principals share, then each
// view's own.
std::vector<Column> principal_columns() {
    return {sysname(u"name"),
            typed(u"principal_id", ColumnType::int32),
            sid_column(u"sid"),
            type_column(),
            description(u"type_desc"),
            typed(u"is_disabled", ColumnType::bit),
            typed(u"create_date", ColumnType::datetime),
            typed(u"modify_date", ColumnType::datetime),
            sysname(u"default_database_name"),
            sysname(u"default_language_name"),
            typed(u"credential_id", ColumnType::int32)};
}

std::vector<Value> login_row(const Login& login) {
    return {login.name, login.principal_id, login.sid, text(login.windows ? u"U" : u"S"),
            text(login.windows ? u"WINDOWS_LOGIN" : u"SQL_LOGIN"), login.disabled ? 1 : 0,
            date(login.created), date(login.modified), login.default_database, login.default_language, null};
}

std::vector<const Login*> logins_by_id(const Catalog& catalog) {
    std::vector<const Login*> logins;
    for (const auto& [name, login] : catalog.logins) logins.push_back(&login);
    std::sort(logins.begin(), logins.end(), [](auto* a, auto* b) { return a->principal_id < b->principal_id; });
    return logins;
}

TableSnapshot sql_logins(const Catalog& catalog) {
    TableSnapshot table{u"sql_logins", principal_columns(), {}};
    table.columns.push_back(typed(u"is_policy_checked", ColumnType::bit));
    table.columns.push_back(typed(u"is_expiration_checked", ColumnType::bit));
    table.columns.push_back({u"password_hash", ColumnType::varbinary, 256});
    for (const Login* login : logins_by_id(catalog)) {
        if (login->windows) continue;
        std::vector<Value> row = login_row(*login);
        row.push_back(login->check_policy ? 1 : 0);
        row.push_back(login->check_expiration ? 1 : 0);
        row.push_back(login->password_hash);
        table.rows.push_back(std::move(row));
    }
    return table;
}

// The roles came with the server: they show sa's dates.
TableSnapshot server_principals(const Catalog& catalog) {
    TableSnapshot table{u"server_principals", principal_columns(), {}};
    table.columns.push_back(typed(u"owning_principal_id", ColumnType::int32));
    table.columns.push_back(typed(u"is_fixed_role", ColumnType::bit));
    const std::vector<const Login*> logins = logins_by_id(catalog);
    std::optional<DateTime> installed;
    for (const Login* login : logins)
        if (login->sid == kSaSid) installed = login->created;
    auto add_login = [&](const Login& login) {
        std::vector<Value> row = login_row(login);
        row.push_back(null);
        row.push_back(0);
        table.rows.push_back(std::move(row));
    };
    auto login = logins.begin();
    for (; login != logins.end() && (*login)->principal_id < kServerRoles.front().principal_id; ++login) add_login(**login);
    for (const auto& role : kServerRoles)
        table.rows.push_back({std::u16string(role.name), role.principal_id,
                              Binary{static_cast<uint8_t>(role.principal_id)}, text(u"R"), text(u"SERVER_ROLE"), 0,
                              date(installed), date(installed), null, null, null, kSaPrincipalId,
                              role.principal_id == kServerRoles.front().principal_id ? 0 : 1});
    for (; login != logins.end(); ++login) add_login(**login);
    return table;
}

TableSnapshot server_role_members(const Catalog& catalog) {
    TableSnapshot table{u"server_role_members",
                        {typed(u"role_principal_id", ColumnType::int32), typed(u"member_principal_id", ColumnType::int32)},
                        {}};
    for (const Login* login : logins_by_id(catalog))
        if (login->sysadmin) table.rows.push_back({kSysadminPrincipalId, login->principal_id});
    return table;
}

std::u16string user_access_text(UserAccess access) {
    switch (access) {
        case UserAccess::multi_user: return u"MULTI_USER";
        case UserAccess::single_user: return u"SINGLE_USER";
        case UserAccess::restricted_user: return u"RESTRICTED_USER";
    }
    return {};
}

// The first columns of sys.databases, up to the state; a database whose files
// a RESTORE is writing is RESTORING, any other ONLINE.
TableSnapshot databases(const Catalog& catalog, const ServerVersion& server) {
    TableSnapshot table{u"databases",
                        {sysname(u"name"), typed(u"database_id", ColumnType::int32),
                         typed(u"source_database_id", ColumnType::int32), sid_column(u"owner_sid"),
                         typed(u"create_date", ColumnType::datetime), typed(u"compatibility_level", ColumnType::tinyint),
                         sysname(u"collation_name"), typed(u"user_access", ColumnType::tinyint),
                         description(u"user_access_desc"), typed(u"is_read_only", ColumnType::bit),
                         typed(u"is_auto_close_on", ColumnType::bit), typed(u"is_auto_shrink_on", ColumnType::bit),
                         typed(u"state", ColumnType::tinyint), description(u"state_desc")},
                        {}};
    std::vector<const Database*> ordered;
    for (const auto& [name, database] : catalog.databases) ordered.push_back(&database);
    std::sort(ordered.begin(), ordered.end(), [](auto* a, auto* b) { return a->dbid < b->dbid; });
    const int32_t server_level = server.major * 10;
    for (const Database* database : ordered) {
        const bool restoring = catalog.is_restoring(database->name);
        table.rows.push_back({database->name, database->dbid, null, database->owner_sid, date(database->created),
                              database->compatibility_level ? database->compatibility_level : server_level,
                              std::u16string(kServerCollationName), static_cast<int32_t>(database->user_access),
                              user_access_text(database->user_access), 0, 0, 0, restoring ? 1 : 0,
                              text(restoring ? u"RESTORING" : u"ONLINE")});
    }
    return table;
}

// authentication_type and the language columns came with SQL Server 2012,
// allow_encrypted_value_modifications with 2016.
TableSnapshot database_principals(const Database& database, const ServerVersion& server) {
    TableSnapshot table{u"database_principals",
                        {sysname(u"name"), typed(u"principal_id", ColumnType::int32), type_column(),
                         description(u"type_desc"), sysname(u"default_schema_name"),
                         typed(u"create_date", ColumnType::datetime), typed(u"modify_date", ColumnType::datetime),
                         typed(u"owning_principal_id", ColumnType::int32), sid_column(u"sid"),
                         typed(u"is_fixed_role", ColumnType::bit), typed(u"authentication_type", ColumnType::int32),
                         description(u"authentication_type_desc"), sysname(u"default_language_name"),
                         typed(u"default_language_lcid", ColumnType::int32),
                         typed(u"allow_encrypted_value_modifications", ColumnType::bit)},
                        {}};
    struct Principal {
        std::u16string name;
        int32_t id;
        Value schema;
        Value sid;
        bool instance;  // mapped to a login
        std::optional<DateTime> created;
    };
    // The built-in users are as old as the database.
    std::vector<Principal> principals = {
        {u"dbo", 1, text(u"dbo"), database.owner_sid, true, database.created},
        {u"guest", 2, text(u"guest"), kGuestSid, false, database.created},
        {u"INFORMATION_SCHEMA", 3, null, null, false, database.created},
        {u"sys", 4, null, null, false, database.created},
    };
    for (const auto& [name, user] : database.users)
        principals.push_back({user.name, user.principal_id, user.default_schema, user.sid, true, user.created});
    std::sort(principals.begin(), principals.end(), [](const auto& a, const auto& b) { return a.id < b.id; });
    for (const auto& p : principals)
        table.rows.push_back({p.name, p.id, text(u"S"), text(u"SQL_USER"), p.schema, date(p.created), date(p.created),
                              null, p.sid, 0, p.instance ? 1 : 0, text(p.instance ? u"INSTANCE" : u"NONE"), null, null,
                              0});
    const size_t columns = server.major >= 13 ? 15 : server.major >= 11 ? 14 : 10;
    table.columns.resize(columns);
    for (auto& row : table.rows) row.resize(columns);
    return table;
}

}  // namespace

std::optional<TableSnapshot> catalog_view(const Catalog& catalog, const Database& database,
                                          const ServerVersion& server, const std::u16string& name) {
    if (server.major < 9) return std::nullopt;
    if (equals_ci(name, u"sql_logins")) return sql_logins(catalog);
    if (equals_ci(name, u"server_principals")) return server_principals(catalog);
    if (equals_ci(name, u"server_role_members")) return server_role_members(catalog);
    if (equals_ci(name, u"databases")) return databases(catalog, server);
    if (equals_ci(name, u"database_principals")) return database_principals(database, server);
    return std::nullopt;
}

}  // namespace emulator
