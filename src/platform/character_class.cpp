// Character classes from the system's Unicode tables.
#include "character_class.h"

#include <windows.h>

namespace platform {

namespace {

WORD character_type(wchar_t c)
{
    WORD type = 0;
    if (!GetStringTypeW(CT_CTYPE1, &c, 1, &type))
        return 0;
    return type;
}

}  // namespace

bool is_letter(wchar_t c)
{
    return (character_type(c) & C1_ALPHA) != 0;
}

bool is_digit(wchar_t c)
{
    return (character_type(c) & C1_DIGIT) != 0;
}

bool same_text_ignoring_case(std::wstring_view a, std::wstring_view b)
{
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace platform
