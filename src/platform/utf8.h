// UTF-8, the encoding of everything the program writes for other programs to
// read: its console output, its log file, its result document.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string to_utf8(std::wstring_view text);

}  // namespace platform
