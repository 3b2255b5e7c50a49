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

}  // namespace platform
