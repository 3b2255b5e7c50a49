// The system's own text for a Windows error code.
#pragma once

#include <string>

namespace platform {

// FormatMessageW's text for `error_code` (GetLastError's value), without the
// line break it ends with; "Windows error N" when the system has no text.
std::wstring system_message(unsigned long error_code);

}  // namespace platform
