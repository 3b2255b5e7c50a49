// Letters and digits of every script, as Windows classifies them.
#pragma once

namespace platform {

bool is_letter(wchar_t c);
bool is_digit(wchar_t c);

}  // namespace platform
