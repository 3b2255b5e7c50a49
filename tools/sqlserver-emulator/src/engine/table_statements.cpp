// INSERT, DELETE and CREATE TABLE on user tables.
#include "data_statements.h"

#include "builtin_functions.h"
#include "messages.h"
#include "query_scope.h"
#include "system_tables.h"
#include "table_lookup.h"

#include <set>

namespace emulator {
namespace {

// The value as the column stores it; throws on NULL, width or type faults.
Value stored_value(const Value& value, const TableColumn& column, const std::u16string& table_path) {
    if (std::holds_alternative<std::monostate>(value)) {
        if (!column.nullable) fail(server_message(515, {.name = column.name, .other = table_path}));
        return value;
    }
    if (column.type == u"INT") {
        if (const auto* text = std::get_if<std::u16string>(&value)) return convert_to_int(*text);
        return value;
    }
    std::u16string text = std::holds_alternative<int32_t>(value) ? to_u16(std::get<int32_t>(value))
                                                                 : std::get<std::u16string>(value);
    if (column.length > 0 && text.size() > static_cast<size_t>(column.length)) fail(server_message(8152));
    return text;
}

}  // namespace

Outcome run_insert(StatementContext& context, const InsertStatement& insert) {
    Table& table = writable_table(context, insert.table);
    const std::u16string table_path = database_of(context, insert.table)->name + u".dbo." + table.name;

    std::vector<size_t> targets;
    if (insert.columns.empty()) {
        for (size_t i = 0; i < table.columns.size(); ++i) targets.push_back(i);
    } else {
        for (const auto& name : insert.columns) {
            size_t index = 0;
            while (index < table.columns.size() && !equals_ci(table.columns[index].name, name)) ++index;
            if (index == table.columns.size()) fail(server_message(207, {.name = name}));
            targets.push_back(index);
        }
    }

    // Every row is checked before any is stored, so a failed insert adds nothing.
    std::vector<std::vector<Value>> new_rows;
    for (const auto& values : insert.rows) {
        if (values.size() != targets.size()) {
            if (insert.columns.empty()) fail(server_message(213));
            fail(server_message(values.size() < targets.size() ? 109 : 110));
        }
        std::vector<Value> row(table.columns.size());
        std::vector<bool> given(table.columns.size(), false);
        for (size_t i = 0; i < targets.size(); ++i) {
            row[targets[i]] = stored_value(values[i], table.columns[targets[i]], table_path);
            given[targets[i]] = true;
        }
        for (size_t i = 0; i < row.size(); ++i)
            if (!given[i]) row[i] = stored_value(std::monostate{}, table.columns[i], table_path);
        new_rows.push_back(std::move(row));
    }
    table.rows.insert(table.rows.end(), new_rows.begin(), new_rows.end());
    context.save();
    return {new_rows.size(), false};
}

Outcome run_delete(StatementContext& context, const DeleteStatement& remove, const std::u16string& statement_text) {
    Table& table = writable_table(context, remove.table);
    const QueryScope scope({{read_table(context, remove.table), {}}});
    const auto matches = scope.matching_rows(with_calls_evaluated(context, remove.where, statement_text));

    std::set<size_t> doomed;
    const auto* first_row = scope.sources().front().table.rows.data();
    for (const auto& tuple : matches) doomed.insert(static_cast<size_t>(tuple.front() - first_row));
    std::vector<std::vector<Value>> kept;
    for (size_t i = 0; i < table.rows.size(); ++i)
        if (!doomed.count(i)) kept.push_back(std::move(table.rows[i]));
    table.rows = std::move(kept);
    if (!doomed.empty()) context.save();
    return {doomed.size(), false};
}

Outcome run_create_table(StatementContext& context, const CreateTableStatement& create) {
    Database* database = database_of(context, create.table);
    if (!database) fail(server_message(911, {.name = create.table.database}));
    const ServerVersion& server = context.options.product_version.version;
    if (database->tables.count(create.table.name) || system_table(context.catalog, *database, server, create.table.name))
        fail(server_message(2714, {.name = create.table.name}));

    Table table{create.table.name, {}, {}};
    for (const auto& definition : create.columns) {
        for (const auto& existing : table.columns)
            if (equals_ci(existing.name, definition.name))
                fail(server_message(2705, {.name = definition.name, .other = create.table.name}));
        table.columns.push_back({definition.name, definition.type, definition.length, definition.nullable});
    }
    database->tables.emplace(table.name, std::move(table));
    context.save();
    return {};
}

}  // namespace emulator
