// The form builder: turns a form table into the child windows of a window,
// owns their fonts and brushes, and answers the parent's colour and tab-order
// questions about them.
#pragma once

#include "form.h"

#include <windows.h>

#include <map>
#include <vector>

namespace platform {

class BuiltForm {
public:
    // Creates every control of `form` in list order as a child of `parent`;
    // the first in the list lies on top, group boxes below all others.
    BuiltForm(HWND parent, const FormSpec& form);
    ~BuiltForm();
    BuiltForm(const BuiltForm&) = delete;
    BuiltForm& operator=(const BuiltForm&) = delete;

    // The brush for a WM_CTLCOLOR* message from `control`, with the text and
    // background colours set on `dc`; nullptr when the platform's default
    // colours apply.
    HBRUSH colour_control(HWND control, HDC dc) const;

    // Fills the window's background, and behind each group box its own colour
    // (group boxes draw only their frame).
    void paint_background(HWND parent, HDC dc) const;

    // The controls that Tab visits: ascending tab value, ties in reading order
    // (top to bottom, then left to right).
    const std::vector<int>& tab_sequence() const { return tab_sequence_; }

private:
    HFONT font_for(const FontSpec& font);
    HBRUSH brush_for(Colour colour) const;  // made on first use and kept

    const FormSpec& form_;
    HWND parent_;
    HBRUSH window_brush_ = nullptr;
    mutable HBRUSH hatch_brush_ = nullptr;
    std::vector<std::pair<FontSpec, HFONT>> fonts_;
    mutable std::map<uint32_t, HBRUSH> solid_brushes_;  // by COLORREF
    std::vector<int> tab_sequence_;
};

COLORREF resolve_colour(Colour colour);

// The child of `parent` that is `window` or holds it (a combo box holds its
// field and its list); nullptr when `window` is not within `parent`.
HWND form_control_holding(HWND parent, HWND window);

}  // namespace platform
