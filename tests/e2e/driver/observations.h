// What the driver prints: one UTF-8 line per observation, fields separated by
// tabs, with backslash, tab, CR and LF escaped so every line stays one line.
#pragma once

#include <initializer_list>
#include <string>

namespace driver {

// "a\tb\r\n" becomes "a\\tb\\r\\n"; a backslash becomes two.
std::wstring escape_field(const std::wstring& text);

// Writes the fields, escaped and tab-joined, as one line on stdout and flushes,
// so what was seen before a timeout is not lost.
void print_observation(std::initializer_list<std::wstring> fields);

}  // namespace driver
