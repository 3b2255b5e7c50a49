// The installer's notion of a blank text: nothing left once leading and
// trailing spaces (U+0020 only; tabs and other white space count as text) are
// removed.
#pragma once

#include <string_view>

namespace platform {

inline bool is_blank(std::wstring_view text)
{
    return text.find_first_not_of(L' ') == std::wstring_view::npos;
}

}  // namespace platform
