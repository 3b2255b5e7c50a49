// SQL Server's datetime values as the engine keeps them, and their text form
// in the stand-in's own files.
#pragma once

#include "response_sink.h"

#include <optional>
#include <string>
#include <string_view>

namespace emulator {

// Now, in the server's local time, as SQL Server's GETDATE() would give it.
DateTime local_now();

DateTime make_datetime(int year, unsigned month, unsigned day, int hour = 0, int minute = 0, int second = 0,
                       int millisecond = 0);

// "2026-12-07 12:00:00.000".
std::u16string datetime_text(DateTime value);
// The inverse of datetime_text; nullopt when the text is not of that form.
std::optional<DateTime> parse_datetime(std::u16string_view text);

}  // namespace emulator
