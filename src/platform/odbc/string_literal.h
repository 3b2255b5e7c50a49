// Unicode string literals for statement texts, and the single-row query's
// placeholders filled with them.
#pragma once

#include <string>
#include <vector>

namespace platform {

// `text` with every `quote` character doubled: how SQL and ODBC escape the
// character that would end a quoted value.
std::wstring doubled(const std::wstring& text, wchar_t quote);

// `text` with every single quote doubled, as a quoted SQL literal needs it.
std::wstring double_single_quotes(const std::wstring& text);

// [name], its closing brackets doubled: an identifier as T-SQL quotes it.
std::wstring bracketed(const std::wstring& name);

// N'text' with the single quotes of `text` doubled.
std::wstring unicode_literal(const std::wstring& text);

// `query` with each `?` replaced, in order, by the literal of the matching
// value. A `?` without a value is left as it is; extra values are ignored.
std::wstring fill_placeholders(const std::wstring& query, const std::vector<std::wstring>& values);

}  // namespace platform
