// SELECT: column lists, COUNT and constants over a comma join.
#include "data_statements.h"

#include "messages.h"
#include "query_scope.h"

namespace emulator {
namespace {

bool is_count(const SelectItem& item) {
    return item.kind == SelectItem::Kind::count_rows || item.kind == SelectItem::Kind::count_column;
}

ColumnType constant_type(const Value& value) {
    return std::holds_alternative<int32_t>(value) ? ColumnType::int32 : ColumnType::nvarchar;
}

ResultSet aggregate(const QueryScope& scope, const std::vector<SelectItem>& items, const std::vector<RowTuple>& rows) {
    ResultSet result;
    std::vector<Value> row;
    for (const auto& item : items) {
        if (!is_count(item) && item.kind != SelectItem::Kind::constant) {
            const std::u16string name = item.kind == SelectItem::Kind::all_columns ? u"*" : item.column.written();
            fail(server_message(8120, {.name = name}));
        }
        if (item.kind == SelectItem::Kind::constant) {
            result.columns.push_back({item.alias, constant_type(item.constant)});
            row.push_back(item.constant);
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

ResultSet project(const QueryScope& scope, const std::vector<SelectItem>& items, const std::vector<RowTuple>& rows) {
    struct Output {
        std::optional<BoundColumn> column;  // nullopt: a constant
        Value constant;
    };
    ResultSet result;
    std::vector<Output> outputs;
    for (const auto& item : items) {
        switch (item.kind) {
            case SelectItem::Kind::all_columns:
                if (scope.sources().empty()) fail(server_message(263));
                for (size_t t = 0; t < scope.sources().size(); ++t)
                    for (size_t c = 0; c < scope.sources()[t].table.columns.size(); ++c) {
                        result.columns.push_back(scope.sources()[t].table.columns[c]);
                        outputs.push_back({BoundColumn{t, c}, {}});
                    }
                break;
            case SelectItem::Kind::column: {
                const BoundColumn bound = scope.bind(item.column);
                const Column& column = scope.sources()[bound.table].table.columns[bound.column];
                result.columns.push_back({item.alias.empty() ? column.name : item.alias, column.type});
                outputs.push_back({bound, {}});
                break;
            }
            default:
                result.columns.push_back({item.alias, constant_type(item.constant)});
                outputs.push_back({std::nullopt, item.constant});
        }
    }
    for (const auto& tuple : rows) {
        std::vector<Value> row;
        for (const auto& output : outputs)
            row.push_back(output.column ? (*tuple[output.column->table])[output.column->column] : output.constant);
        result.rows.push_back(std::move(row));
    }
    return result;
}

}  // namespace

Outcome run_select(StatementContext& context, const SelectStatement& select) {
    std::vector<QueryScope::Source> sources;
    for (const auto& ref : select.from) sources.push_back({read_table(context, ref.table), ref.alias});
    const QueryScope scope(std::move(sources));
    const auto rows = scope.matching_rows(select.where);

    bool any_count = false;
    for (const auto& item : select.items) any_count = any_count || is_count(item);
    const ResultSet result = any_count ? aggregate(scope, select.items, rows) : project(scope, select.items, rows);
    context.sink.rows(result);
    return {result.rows.size(), false};
}

}  // namespace emulator
