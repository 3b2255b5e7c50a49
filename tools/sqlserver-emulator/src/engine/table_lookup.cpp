// Table name resolution for queries and changes.
#include "table_lookup.h"

#include "catalog_views.h"
#include "dynamic_views.h"
#include "messages.h"
#include "system_tables.h"

namespace emulator {

Database* database_of(StatementContext& context, const ObjectName& name) {
    return context.catalog.find_database(name.database.empty() ? context.session().database : name.database);
}

ColumnType result_type(const TableColumn& column) {
    return column.type == u"INT" ? ColumnType::int32 : ColumnType::nvarchar;
}

namespace {

// A catalog view of the sys schema.
std::optional<TableSnapshot> view_of(StatementContext& context, const Database& database, const ObjectName& name) {
    if (!equals_ci(name.schema, u"sys")) return std::nullopt;
    return catalog_view(context.catalog, database, context.options.product_version.version, name.name);
}

}  // namespace

TableSnapshot read_table(StatementContext& context, const ObjectName& name) {
    Database* database = database_of(context, name);
    if (!database) fail(server_message(208, {.name = name.written}));
    if (auto view = view_of(context, *database, name)) return std::move(*view);
    const ServerVersion& server = context.options.product_version.version;
    if (auto system = system_table(context.catalog, *database, server, name.name)) return std::move(*system);
    if (auto view = dynamic_view(context, name.name)) return std::move(*view);
    const auto found = database->tables.find(name.name);
    if (found == database->tables.end()) fail(server_message(208, {.name = name.written}));
    TableSnapshot snapshot{found->second.name, {}, found->second.rows};
    for (const auto& column : found->second.columns) snapshot.columns.push_back({column.name, result_type(column)});
    return snapshot;
}

Table& writable_table(StatementContext& context, const ObjectName& name) {
    Database* database = database_of(context, name);
    if (!database) fail(server_message(208, {.name = name.written}));
    const auto found = database->tables.find(name.name);
    if (found != database->tables.end()) return found->second;
    const ServerVersion& server = context.options.product_version.version;
    if (view_of(context, *database, name) || system_table(context.catalog, *database, server, name.name))
        fail(server_message(259));
    fail(server_message(208, {.name = name.written}));
}

}  // namespace emulator
