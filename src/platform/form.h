// Forms as data: a window and its controls described the way the form
// designer stores them (layout units, fonts, colours, tab values), which the
// form builder turns into Win32 windows.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace platform {

enum class ControlKind {
    command_button,
    radio_button,
    check_box,
    static_text,
    single_line_edit,
    multi_line_edit,
    group_box,
    // A field that can be typed into, with a list of choices that drops
    // below it; its height is the field's, the list adds its own.
    drop_down_combo,
};

// Where a colour comes from: the control's platform default, a fixed RGB
// triple, or a Windows system colour (GetSysColor index).
struct Colour {
    enum class Source { platform, rgb, system };
    Source source = Source::platform;
    uint32_t value = 0;  // 0x00BBGGRR for rgb, the index for system

    static constexpr Colour platform_default() { return {}; }
    static constexpr Colour rgb(uint8_t r, uint8_t g, uint8_t b)
    {
        return {Source::rgb, uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16)};
    }
    static constexpr Colour system(uint32_t index) { return {Source::system, index}; }
    static constexpr Colour window_text() { return system(8); }  // COLOR_WINDOWTEXT
};

// Chinese fonts in the GB2312 character set. "宋体" is drawn with variable
// pitch and no particular family; "隶书" and "仿宋_GB2312" with fixed pitch
// and the modern family.
struct FontSpec {
    enum class Pitch { variable_any_family, fixed_modern };
    std::wstring_view face;
    int points = 9;
    int weight = 400;
    Pitch pitch = Pitch::variable_any_family;
};

// Flags of a control; combine with |.
enum ControlFlag : uint32_t {
    no_flags = 0,
    initially_checked = 1u << 0,
    sunken_border = 1u << 1,       // 3D lowered
    box_border = 1u << 2,          // plain one-pixel box
    password = 1u << 3,            // typed characters are masked
    scroll_bars = 1u << 4,         // horizontal and vertical
    align_centre = 1u << 5,
    align_right = 1u << 6,
    group_start = 1u << 7,         // first control of a radio group, or the one after it
    hatched_background = 1u << 8,  // background drawn with a hatch pattern over its colour
};

struct ControlSpec {
    int id;                  // stable control ID
    std::wstring_view name;  // the form's own name, e.g. "sle_sqlserver"
    ControlKind kind;
    std::wstring_view text;
    int x, y, width, height;  // layout units, relative to the client area
    FontSpec font;
    Colour text_colour;
    Colour background;
    int tab;                  // 0: never takes the focus by tabbing
    uint32_t flags = no_flags;
};

struct FormSpec {
    enum class Frame { dialog_with_close_box, borderless };
    std::wstring_view class_name;  // Win32 window class, found by drivers and tests
    std::wstring_view title;
    Frame frame;
    int width, height;  // layout units of the client area
    Colour background;
    // In list (creation and z-) order, except that group boxes lie behind
    // every other control, so that a control listed after its frame still shows.
    std::span<const ControlSpec> controls;
};

// The control of `form` with `id`, or nullptr.
const ControlSpec* find_control(const FormSpec& form, int id);

}  // namespace platform
