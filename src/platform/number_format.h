// Number formatting with a digit mask.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// `value` in decimal, padded with leading zeros to the length of `mask`, a
// mask of '0' digits such as "0000" (7 gives "0007"). A longer number is
// shown whole; a negative one gets its sign before the padded digits.
std::wstring format_number(long value, std::wstring_view mask);

}  // namespace platform
