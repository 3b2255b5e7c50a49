// Conversion between pixels and layout units through the dialog base units.
#include "layout_units.h"

#include <windows.h>

namespace platform {

namespace {

// Rounds numerator/denominator to the nearest integer, halves away from zero;
// the denominator is positive.
int divide_rounded(long long numerator, long long denominator)
{
    const long long half = denominator / 2;
    return int(numerator >= 0 ? (numerator + half) / denominator : -((-numerator + half) / denominator));
}

int units_per_base(Direction direction) { return direction == Direction::horizontal ? 32 : 64; }
int base_pixels(Direction direction, BaseUnits base) { return direction == Direction::horizontal ? base.width : base.height; }

}  // namespace

BaseUnits dialog_base_units()
{
    const LONG units = GetDialogBaseUnits();
    return {LOWORD(units), HIWORD(units)};
}

int units_to_pixels(int units, Direction direction, BaseUnits base)
{
    return divide_rounded(static_cast<long long>(units) * base_pixels(direction, base), units_per_base(direction));
}

int pixels_to_units(int pixels, Direction direction, BaseUnits base)
{
    return divide_rounded(static_cast<long long>(pixels) * units_per_base(direction), base_pixels(direction, base));
}

}  // namespace platform
