// Times as the log file, the result document and the detection key write
// them: ISO 8601 with the offset, which may be negative or not whole hours.
#include "platform/clock.h"

#include <gtest/gtest.h>

namespace {

TEST(Clock, Iso8601CarriesTheOffsetFromUtc)
{
    platform::LocalTime time{2026, 3, 9, 7, 5, 2, 999, 8 * 60};
    EXPECT_EQ(platform::iso_8601(time), L"2026-03-09T07:05:02+08:00");
    time.utc_offset_minutes = 0;
    EXPECT_EQ(platform::iso_8601(time), L"2026-03-09T07:05:02+00:00");
    time.utc_offset_minutes = 5 * 60 + 45;  // Nepal
    EXPECT_EQ(platform::iso_8601(time), L"2026-03-09T07:05:02+05:45");
    time.utc_offset_minutes = -(3 * 60 + 30);  // Newfoundland
    EXPECT_EQ(platform::iso_8601(time), L"2026-03-09T07:05:02-03:30");
}

}  // namespace
