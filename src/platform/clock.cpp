// Local time from kernel32.
#include "clock.h"

#include <windows.h>

#include <cstdio>

namespace platform {

LocalTime local_time_now()
{
    SYSTEMTIME local;
    GetLocalTime(&local);
    TIME_ZONE_INFORMATION zone;
    const DWORD kind = GetTimeZoneInformation(&zone);
    // Bias counts minutes from local time to UTC; the daylight bias adds to it while daylight time runs.
    LONG bias = zone.Bias;
    if (kind == TIME_ZONE_ID_DAYLIGHT)
        bias += zone.DaylightBias;
    else if (kind == TIME_ZONE_ID_STANDARD)
        bias += zone.StandardBias;
    return {local.wYear, local.wMonth,  local.wDay,         local.wHour,
            local.wMinute, local.wSecond, local.wMilliseconds, static_cast<int>(-bias)};
}

std::wstring iso_8601(const LocalTime& time)
{
    const int offset = time.utc_offset_minutes < 0 ? -time.utc_offset_minutes : time.utc_offset_minutes;
    wchar_t text[32];
    std::swprintf(text, std::size(text), L"%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", time.year, time.month, time.day,
                  time.hour, time.minute, time.second, time.utc_offset_minutes < 0 ? L'-' : L'+', offset / 60,
                  offset % 60);
    return text;
}

}  // namespace platform
