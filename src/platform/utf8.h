// UTF-8, the encoding of everything the program writes for other programs to
// read: its console output, its log file, its result document.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string to_utf8(std::wstring_view text);

// The text of UTF-8 bytes; a byte that is not UTF-8 becomes U+FFFD.
std::wstring from_utf8(std::string_view bytes);

}  // namespace platform
