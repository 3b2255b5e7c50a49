// Regular identifiers, with letters and digits of every script as Windows
// classifies them.
#include "identifier.h"

#include <windows.h>

namespace install {

namespace {

constexpr size_t longest_identifier = 128;

WORD character_type(wchar_t c)
{
    WORD type = 0;
    if (!GetStringTypeW(CT_CTYPE1, &c, 1, &type))
        return 0;
    return type;
}

bool is_letter(wchar_t c)
{
    return (character_type(c) & C1_ALPHA) != 0;
}

bool is_digit(wchar_t c)
{
    return (character_type(c) & C1_DIGIT) != 0;
}

bool is_first_symbol(wchar_t c)
{
    return c == L'_' || c == L'@' || c == L'#';
}

}  // namespace

bool is_regular_identifier(const std::wstring& name)
{
    if (name.empty() || name.size() > longest_identifier)
        return false;
    if (!is_letter(name[0]) && !is_first_symbol(name[0]))
        return false;
    for (size_t i = 1; i < name.size(); ++i) {
        wchar_t c = name[i];
        if (!is_letter(c) && !is_digit(c) && !is_first_symbol(c) && c != L'$')
            return false;
    }
    return true;
}

}  // namespace install
