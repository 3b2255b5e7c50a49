// UTF-8 and UTF-16 conversions for the tests' ODBC client, which speaks
// UTF-16 to unixODBC while the tests compare UTF-8 texts.
#pragma once

#include <string>

namespace e2e {

std::u16string utf8_to_utf16(const std::string& text);
std::string utf16_to_utf8(const std::u16string& text);

}  // namespace e2e
