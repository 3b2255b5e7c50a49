// Quoting of values placed into statement texts.
#include "string_literal.h"

namespace platform {

std::wstring doubled(const std::wstring& text, wchar_t quote)
{
    std::wstring result;
    result.reserve(text.size());
    for (wchar_t c : text) {
        result += c;
        if (c == quote)
            result += quote;
    }
    return result;
}

std::wstring double_single_quotes(const std::wstring& text)
{
    return doubled(text, L'\'');
}

std::wstring bracketed(const std::wstring& name)
{
    return L"[" + doubled(name, L']') + L"]";
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
