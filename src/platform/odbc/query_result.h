// The rows of a query's first result, every value read as text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// How much of a statement's first result set to keep.
enum class RowsWanted { none, first_row, all_rows };

struct QueryResult {
    using Row = std::vector<std::optional<std::wstring>>;  // nullopt is NULL

    std::vector<std::wstring> columns;  // names as the server sent them; "" for an unnamed expression
    std::vector<Row> rows;

    // The index of the first column named `name` (compared without regard to
    // case), or nullopt when there is none. Servers add columns between
    // versions, so callers find them by name rather than by place.
    std::optional<size_t> column(std::wstring_view name) const;

    // The value of `row` in column `name`; nullopt when the column is absent
    // or the value is NULL.
    std::optional<std::wstring> value(const Row& row, std::wstring_view name) const;
};

}  // namespace platform
