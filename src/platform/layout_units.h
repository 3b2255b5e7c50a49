// Layout units: one horizontal unit is 1/32 of the dialog base unit width, one
// vertical unit 1/64 of its height; conversions round to the nearest whole
// number (halves away from zero).
#pragma once

namespace platform {

enum class Direction { horizontal, vertical };

struct BaseUnits {
    int width;   // pixels, LOWORD of GetDialogBaseUnits
    int height;  // pixels, HIWORD of GetDialogBaseUnits
};

BaseUnits dialog_base_units();  // of this machine's system font

int units_to_pixels(int units, Direction direction, BaseUnits base);
int pixels_to_units(int pixels, Direction direction, BaseUnits base);

inline int units_to_pixels(int units, Direction direction) { return units_to_pixels(units, direction, dialog_base_units()); }
inline int pixels_to_units(int pixels, Direction direction) { return pixels_to_units(pixels, direction, dialog_base_units()); }

}  // namespace platform
