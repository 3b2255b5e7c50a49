// Name binding and row filtering for SELECT and DELETE.
#include "query_scope.h"

#include "messages.h"
#include "record_io.h"
#include "text.h"

#include <algorithm>
#include <stdexcept>

namespace emulator {
namespace {

std::u16string_view without_trailing_blanks(std::u16string_view text) {
    while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
    return text;
}

std::optional<int64_t> integer_value(const Value& value) {
    if (const auto* number = std::get_if<int32_t>(&value)) return *number;
    if (const auto* number = std::get_if<int64_t>(&value)) return *number;
    return std::nullopt;
}

}  // namespace

int32_t convert_to_int(const std::u16string& text) {
    std::u16string_view digits = without_trailing_blanks(text);
    while (!digits.empty() && digits.front() == u' ') digits.remove_prefix(1);
    try {
        const int64_t value = number_field(std::u16string(digits.starts_with(u'+') ? digits.substr(1) : digits));
        if (value >= INT32_MIN && value <= INT32_MAX) return static_cast<int32_t>(value);
    } catch (const std::runtime_error&) {
    }
    fail(server_message(245, {.name = text}));
}

Value convert_value(const Value& value, const Conversion& conversion, const std::u16string& statement_text) {
    if (std::holds_alternative<std::monostate>(value)) return value;
    const auto* text = std::get_if<std::u16string>(&value);
    const auto number = integer_value(value);
    if (conversion.type == ColumnType::int32) {
        if (text) return convert_to_int(*text);
        if (std::holds_alternative<int32_t>(value)) return value;
        fail(not_supported(statement_text));
    }
    if (!text && !number) fail(not_supported(statement_text));
    const std::u16string characters = text ? *text : to_u16(*number);
    const auto length = static_cast<size_t>(conversion.length);
    const bool beyond_ascii =
        std::any_of(characters.begin(), characters.end(), [](char16_t c) { return c >= 0x80; });
    if ((number && characters.size() > length) || (conversion.type == ColumnType::varchar && beyond_ascii))
        fail(not_supported(statement_text));
    return characters.substr(0, length);
}

bool values_equal(const Value& left, const Value& right) {
    if (std::holds_alternative<std::monostate>(left) || std::holds_alternative<std::monostate>(right)) return false;
    const auto* left_text = std::get_if<std::u16string>(&left);
    const auto* right_text = std::get_if<std::u16string>(&right);
    if (left_text && right_text) return equals_ci(without_trailing_blanks(*left_text), without_trailing_blanks(*right_text));
    const auto a = left_text ? std::optional<int64_t>(convert_to_int(*left_text)) : integer_value(left);
    const auto b = right_text ? std::optional<int64_t>(convert_to_int(*right_text)) : integer_value(right);
    if (a && b) return *a == *b;
    return left == right;
}

QueryScope::QueryScope(std::vector<Source> sources) : sources_(std::move(sources)) {}

BoundColumn QueryScope::bind(const ColumnRef& ref) const {
    std::optional<BoundColumn> bound;
    bool qualifier_known = ref.qualifier.empty();
    for (size_t t = 0; t < sources_.size(); ++t) {
        const auto& source = sources_[t];
        if (!ref.qualifier.empty()) {
            if (!equals_ci(ref.qualifier, source.alias.empty() ? source.table.name : source.alias)) continue;
            qualifier_known = true;
        }
        for (size_t c = 0; c < source.table.columns.size(); ++c) {
            if (!equals_ci(source.table.columns[c].name, ref.column)) continue;
            if (bound) fail(server_message(209, {.name = ref.column}));
            bound = BoundColumn{t, c};
        }
    }
    if (!qualifier_known) fail(server_message(4104, {.name = ref.written()}));
    if (!bound) fail(server_message(207, {.name = ref.column}));
    return *bound;
}

std::vector<RowTuple> QueryScope::matching_rows(const std::vector<Comparison>& where) const {
    // Bind every name before looking at rows, so an empty table still
    // reports a wrong column as SQL Server does.
    auto resolve = [this](const Operand& operand) -> std::variant<BoundColumn, Value> {
        if (const auto* ref = std::get_if<ColumnRef>(&operand)) return bind(*ref);
        const auto* value = std::get_if<Value>(&operand);
        if (!value) throw std::logic_error("a function call is evaluated before rows are matched");
        return *value;
    };
    std::vector<std::pair<std::variant<BoundColumn, Value>, std::variant<BoundColumn, Value>>> conditions;
    for (const auto& comparison : where) conditions.emplace_back(resolve(comparison.left), resolve(comparison.right));

    std::vector<RowTuple> tuples{RowTuple{}};
    for (const auto& source : sources_) {
        std::vector<RowTuple> extended;
        for (const auto& tuple : tuples)
            for (const auto& row : source.table.rows) {
                extended.push_back(tuple);
                extended.back().push_back(&row);
            }
        tuples = std::move(extended);
    }

    auto value_of = [](const std::variant<BoundColumn, Value>& operand, const RowTuple& tuple) -> const Value& {
        if (const auto* column = std::get_if<BoundColumn>(&operand)) return (*tuple[column->table])[column->column];
        return std::get<Value>(operand);
    };
    std::vector<RowTuple> matches;
    for (const auto& tuple : tuples) {
        bool all = true;
        for (const auto& [left, right] : conditions)
            if (!values_equal(value_of(left, tuple), value_of(right, tuple))) {
                all = false;
                break;
            }
        if (all) matches.push_back(tuple);
    }
    return matches;
}

}  // namespace emulator
