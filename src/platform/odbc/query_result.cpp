// Column look-up in a query's result.
#include "query_result.h"

#include "platform/character_class.h"

#include <algorithm>

namespace platform {

std::optional<size_t> QueryResult::column(std::wstring_view name) const
{
    auto same = [&](const std::wstring& candidate) { return same_text_ignoring_case(candidate, name); };
    const auto found = std::find_if(columns.begin(), columns.end(), same);
    if (found == columns.end())
        return std::nullopt;
    return static_cast<size_t>(found - columns.begin());
}

std::optional<std::wstring> QueryResult::value(const Row& row, std::wstring_view name) const
{
    const std::optional<size_t> index = column(name);
    if (!index || *index >= row.size())
        return std::nullopt;
    return row[*index];
}

}  // namespace platform
