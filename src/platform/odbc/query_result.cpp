// Column look-up in a query's result.
#include "query_result.h"

#include <algorithm>
#include <cwctype>

namespace platform {

std::optional<size_t> QueryResult::column(std::wstring_view name) const
{
    auto same = [&](const std::wstring& candidate) {
        return std::equal(candidate.begin(), candidate.end(), name.begin(), name.end(),
                          [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); });
    };
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
