// The "0000" mask of the check code.
#include "platform/number_format.h"

#include <gtest/gtest.h>

namespace {

TEST(NumberFormat, PadsToTheMaskWithLeadingZeros)
{
    EXPECT_EQ(platform::format_number(7, L"0000"), L"0007");
    EXPECT_EQ(platform::format_number(42, L"0000"), L"0042");
    EXPECT_EQ(platform::format_number(9999, L"0000"), L"9999");
    EXPECT_EQ(platform::format_number(12345, L"0000"), L"12345");
    EXPECT_EQ(platform::format_number(-5, L"0000"), L"-0005");
}

}  // namespace
