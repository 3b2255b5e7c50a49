// SELECT: column lists (converted or not), COUNT, constants and built-in
// functions over a comma join, or without FROM.
#include "data_statements.h"

#include "builtin_functions.h"
#include "messages.h"
#include "query_scope.h"

#include <algorithm>

namespace emulator {
namespace {

bool is_count(const SelectItem& item) {
    return item.kind == SelectItem::Kind::count_rows || item.kind == SelectItem::Kind::count_column;
}

bool is_constant(const SelectItem& item) {
    return item.kind == SelectItem::Kind::constant || item.kind == SelectItem::Kind::function;
}

// The column and value of each constant or function item, computed once;
// nullopt for the other items.
using Constants = std::vector<std::optional<FunctionResult>>;

Constants evaluate_constants(StatementContext& context, const std::vector<SelectItem>& items,
                             const std::u16string& statement_text) {
    Constants constants;
    for (const auto& item : items) {
        std::optional<FunctionResult> constant;
        if (item.kind == SelectItem::Kind::function) {
            constant = call_function(context, item.function, statement_text);
        } else if (item.kind == SelectItem::Kind::constant) {
            Column column{u"", ColumnType::nvarchar};
            if (std::holds_alternative<int32_t>(item.constant)) column.type = ColumnType::int32;
            if (const auto* bytes = std::get_if<Binary>(&item.constant))
                column = {u"", ColumnType::varbinary, std::max<int32_t>(1, static_cast<int32_t>(bytes->size()))};
            constant = FunctionResult{column, item.constant};
        }
        if (constant) constant->column.name = item.alias;  // unnamed expressions have empty names
        constants.push_back(std::move(constant));
    }
    return constants;
}

ResultSet aggregate(const QueryScope& scope, const std::vector<SelectItem>& items, const Constants& constants,
                    const std::vector<RowTuple>& rows) {
    ResultSet result;
    std::vector<Value> row;
    for (size_t i = 0; i < items.size(); ++i) {
        const SelectItem& item = items[i];
        if (!is_count(item) && !is_constant(item)) {
            const std::u16string name = item.kind == SelectItem::Kind::all_columns ? u"*" : item.column.written();
            fail(server_message(8120, {.name = name}));
        }
        if (is_constant(item)) {
            result.columns.push_back(constants[i]->column);
            row.push_back(constants[i]->value);
            continue;
        }
        int32_t count = static_cast<int32_t>(rows.size());
        if (item.kind == SelectItem::Kind::count_column) {
            const BoundColumn bound = scope.bind(item.column);
            count = 0;
            for (const auto& tuple : rows)
                if (!std::holds_alternative<std::monostate>((*tuple[bound.table])[bound.column])) ++count;
        }
        result.columns.push_back({item.alias, ColumnType::int32});
        row.push_back(count);
    }
    result.rows.push_back(std::move(row));
    return result;
}

ResultSet project(const QueryScope& scope, const std::vector<SelectItem>& items, const Constants& constants,
                  const std::vector<RowTuple>& rows, const std::u16string& statement_text) {
    struct Output {
        std::optional<BoundColumn> column;  // nullopt: a constant
        Value constant;
        std::optional<Conversion> conversion;
    };
    ResultSet result;
    std::vector<Output> outputs;
    for (size_t i = 0; i < items.size(); ++i) {
        const SelectItem& item = items[i];
        switch (item.kind) {
            case SelectItem::Kind::all_columns:
                if (scope.sources().empty()) fail(server_message(263));
                for (size_t t = 0; t < scope.sources().size(); ++t)
                    for (size_t c = 0; c < scope.sources()[t].table.columns.size(); ++c) {
                        result.columns.push_back(scope.sources()[t].table.columns[c]);
                        outputs.push_back({BoundColumn{t, c}, {}, std::nullopt});
                    }
                break;
            case SelectItem::Kind::column: {
                const BoundColumn bound = scope.bind(item.column);
                Column column = scope.sources()[bound.table].table.columns[bound.column];
                if (item.conversion) column = {u"", item.conversion->type, item.conversion->length};  // unnamed
                if (!item.alias.empty()) column.name = item.alias;
                result.columns.push_back(column);
                outputs.push_back({bound, {}, item.conversion});
                break;
            }
            default:
                result.columns.push_back(constants[i]->column);
                outputs.push_back({std::nullopt, constants[i]->value, std::nullopt});
        }
    }
    for (const auto& tuple : rows) {
        std::vector<Value> row;
        for (const auto& output : outputs) {
            if (!output.column) {
                row.push_back(output.constant);
                continue;
            }
            const Value& value = (*tuple[output.column->table])[output.column->column];
            row.push_back(output.conversion ? convert_value(value, *output.conversion, statement_text) : value);
        }
        result.rows.push_back(std::move(row));
    }
    return result;
}

}  // namespace

Outcome run_select(StatementContext& context, const SelectStatement& select, const std::u16string& statement_text) {
    const Constants constants = evaluate_constants(context, select.items, statement_text);
    std::vector<QueryScope::Source> sources;
    for (const auto& ref : select.from) sources.push_back({read_table(context, ref.table), ref.alias});
    const QueryScope scope(std::move(sources));
    const auto rows = scope.matching_rows(with_calls_evaluated(context, select.where, statement_text));

    bool any_count = false;
    for (const auto& item : select.items) any_count = any_count || is_count(item);
    const ResultSet result = any_count ? aggregate(scope, select.items, constants, rows)
                                       : project(scope, select.items, constants, rows, statement_text);
    context.sink.rows(result);
    return {result.rows.size(), false};
}

}  // namespace emulator
