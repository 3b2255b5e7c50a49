// The local date and time of this machine, with its offset from UTC, and
// how long something took.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace platform {

struct LocalTime {
    int year, month, day;             // month and day from 1
    int hour, minute, second, millisecond;
    int utc_offset_minutes;           // local time minus UTC, daylight saving included
};

LocalTime local_time_now();

// ISO 8601 with the offset: "2026-12-07T10:15:02+08:00".
std::wstring iso_8601(const LocalTime& time);

// Milliseconds since it was made, on a clock that setting the time of day
// does not move.
class Stopwatch {
public:
    int64_t elapsed_milliseconds() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_)
            .count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace platform
