// Layout units against the dialog base units of a 96-DPI system font (7 x 16).
#include "platform/layout_units.h"

#include <gtest/gtest.h>

namespace {

using platform::Direction;

constexpr platform::BaseUnits standard{7, 16};

TEST(LayoutUnits, ConvertWithRoundingToNearestInBothDirections)
{
    struct Row {
        int units;
        Direction direction;
        int pixels;
    };
    for (const Row& row : {Row{3131, Direction::horizontal, 685}, Row{4558, Direction::horizontal, 997},
                           Row{1728, Direction::vertical, 432}, Row{16, Direction::horizontal, 4},  // 3.5 rounds up
                           Row{-10, Direction::horizontal, -2}, Row{2, Direction::vertical, 1}}) {
        EXPECT_EQ(platform::units_to_pixels(row.units, row.direction, standard), row.pixels) << row.units;
    }
    EXPECT_EQ(platform::pixels_to_units(1280, Direction::horizontal, standard), 5851);
    EXPECT_EQ(platform::pixels_to_units(1024, Direction::vertical, standard), 4096);
    EXPECT_EQ(platform::pixels_to_units(-7, Direction::horizontal, standard), -32);
}

}  // namespace
