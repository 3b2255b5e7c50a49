// UTF-8 <-> UTF-16 for command-line values, script files and messages.
#pragma once

#include <string>

namespace emulator::tds {

// Invalid sequences become U+FFFD.
std::u16string utf8_to_utf16(std::string_view text);
std::string utf16_to_utf8(std::u16string_view text);

}  // namespace emulator::tds
