// Regular identifiers, with letters and digits of every script.
#include "install/server/identifier.h"

#include "platform/character_class.h"

namespace install {

namespace {

constexpr size_t longest_identifier = 128;

using platform::is_digit;
using platform::is_letter;

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
