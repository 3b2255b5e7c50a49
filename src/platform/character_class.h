// Letters and digits of every script, as Windows classifies them, and
// text compared the way Windows compares names (file, computer and SQL
// Server names under a case-insensitive collation).
#pragma once

#include <string_view>

namespace platform {

bool is_letter(wchar_t c);
bool is_digit(wchar_t c);

// True when the two texts differ at most in letter case (ordinal, as the
// file system compares names).
bool same_text_ignoring_case(std::wstring_view a, std::wstring_view b);

}  // namespace platform
