// The local date and time of this machine, with its offset from UTC.
#pragma once

namespace platform {

struct LocalTime {
    int year, month, day;             // month and day from 1
    int hour, minute, second, millisecond;
    int utc_offset_minutes;           // local time minus UTC, daylight saving included
};

LocalTime local_time_now();

}  // namespace platform
