// Local time from kernel32.
#include "clock.h"

#include <windows.h>

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

}  // namespace platform
