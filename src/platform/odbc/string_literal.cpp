// Quoting of values placed into statement texts.
#include "string_literal.h"

namespace platform {

std::wstring double_single_quotes(const std::wstring& text)
{
    std::wstring doubled;
    doubled.reserve(text.size());
    for (wchar_t c : text) {
        doubled += c;
        if (c == L'\'')
            doubled += L'\'';
    }
    return doubled;
}

std::wstring unicode_literal(const std::wstring& text)
{
    return L"N'" + double_single_quotes(text) + L"'";
}

std::wstring fill_placeholders(const std::wstring& query, const std::vector<std::wstring>& values)
{
    std::wstring filled;
    auto next_value = values.begin();
    for (wchar_t c : query) {
        if (c == L'?' && next_value != values.end())
            filled += unicode_literal(*next_value++);
        else
            filled += c;
    }
    return filled;
}

}  // namespace platform
