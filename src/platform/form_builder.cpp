// Form tables into Win32 controls: styles, fonts, colours and tab order.
#include "form_builder.h"

#include "layout_units.h"

#include <uxtheme.h>

#include <algorithm>
#include <string>

namespace platform {

namespace {

constexpr COLORREF hatch_colour = RGB(160, 160, 160);

// How many choices a drop-down list shows before it scrolls.
constexpr int visible_choices = 6;

const wchar_t* window_class_of(ControlKind kind)
{
    switch (kind) {
    case ControlKind::command_button:
    case ControlKind::radio_button:
    case ControlKind::check_box:
    case ControlKind::group_box: return L"BUTTON";
    case ControlKind::static_text: return L"STATIC";
    case ControlKind::single_line_edit:
    case ControlKind::multi_line_edit: return L"EDIT";
    case ControlKind::drop_down_combo: return L"COMBOBOX";
    }
    return L"STATIC";
}

DWORD style_of(const ControlSpec& control)
{
    // Siblings clip each other so that a frame later in the list stays behind
    // what it encloses.
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    if (control.tab > 0 && control.kind != ControlKind::group_box) style |= WS_TABSTOP;  // a group box never takes the focus
    if (control.flags & group_start) style |= WS_GROUP;
    if (control.flags & box_border) style |= WS_BORDER;
    switch (control.kind) {
    case ControlKind::command_button: style |= BS_PUSHBUTTON; break;
    case ControlKind::radio_button: style |= BS_AUTORADIOBUTTON; break;
    case ControlKind::check_box: style |= BS_AUTOCHECKBOX; break;
    case ControlKind::group_box: style |= BS_GROUPBOX; break;
    case ControlKind::static_text:
        // Ampersands in labels are text, not access keys.
        style |= SS_NOPREFIX;
        if (control.flags & align_centre) style |= SS_CENTER;
        else if (control.flags & align_right) style |= SS_RIGHT;
        else style |= SS_LEFT;
        break;
    case ControlKind::single_line_edit:
        style |= ES_AUTOHSCROLL | ES_LEFT;
        if (control.flags & password) style |= ES_PASSWORD;
        break;
    case ControlKind::multi_line_edit:
        style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN;
        if (control.flags & scroll_bars) style |= WS_HSCROLL | WS_VSCROLL;
        break;
    case ControlKind::drop_down_combo: style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL; break;
    }
    return style;
}

DWORD extended_style_of(const ControlSpec& control)
{
    return (control.flags & sunken_border) ? WS_EX_CLIENTEDGE : 0;
}

// A brush that paints every pixel: the hatch over `background`. A plain hatch
// brush leaves its gaps to the DC's mode, and a static control drawing its
// text transparently would then keep the old digits showing through them.
HBRUSH make_hatch_brush(COLORREF background)
{
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP tile = CreateCompatibleBitmap(screen, 8, 8);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(memory, tile);
    HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, hatch_colour);
    SetBkMode(memory, OPAQUE);
    SetBkColor(memory, background);
    RECT area{0, 0, 8, 8};
    FillRect(memory, &area, hatch);
    DeleteObject(hatch);
    SelectObject(memory, previous);
    DeleteDC(memory);
    HBRUSH brush = CreatePatternBrush(tile);
    DeleteObject(tile);  // the brush keeps its own copy
    return brush;
}

// With Common Controls 6 a themed radio button or group box draws its text in
// the theme's colour and ignores what WM_CTLCOLOR* sets on the DC. The form's
// radio buttons have blue text on the form's colour, so such controls are
// drawn classic; push buttons and edits keep the theme.
bool keeps_form_colours_only_unthemed(const ControlSpec& control)
{
    const bool coloured = control.text_colour.source != Colour::Source::platform ||
                          control.background.source != Colour::Source::platform;
    return coloured && (control.kind == ControlKind::radio_button || control.kind == ControlKind::check_box ||
                        control.kind == ControlKind::group_box);
}

bool is_field(ControlKind kind)
{
    return kind == ControlKind::single_line_edit || kind == ControlKind::multi_line_edit ||
           kind == ControlKind::drop_down_combo;
}

// A combo box is created, as in a dialog template, with the height of its
// field and its dropped list together; Common Controls 6 sizes the list by
// its number of visible choices instead.
int creation_height(const ControlSpec& control, BaseUnits base)
{
    const int field = units_to_pixels(control.height, Direction::vertical, base);
    return control.kind == ControlKind::drop_down_combo ? field * (1 + visible_choices) : field;
}

int closed_height(HWND combo)
{
    RECT closed;
    GetWindowRect(combo, &closed);
    return int(closed.bottom - closed.top);
}

// A combo box sizes its field from its font; this makes it as tall as the
// form says, like the edits beside it. The height set is the field's inside
// the frame, but Wine's combo box adds padding to it that Windows' does not:
// what the first setting comes out too tall by is taken off again.
void fit_combo_field(HWND combo, int field_height)
{
    const LRESULT inner = SendMessageW(combo, CB_GETITEMHEIGHT, WPARAM(-1), 0);
    if (inner == CB_ERR) return;
    const int first = int(inner) + field_height - closed_height(combo);
    SendMessageW(combo, CB_SETITEMHEIGHT, WPARAM(-1), first);
    if (const int excess = closed_height(combo) - field_height; excess != 0)
        SendMessageW(combo, CB_SETITEMHEIGHT, WPARAM(-1), first - excess);
    SendMessageW(combo, CB_SETMINVISIBLE, visible_choices, 0);
}

bool same_font(const FontSpec& a, const FontSpec& b)
{
    return a.face == b.face && a.points == b.points && a.weight == b.weight && a.pitch == b.pitch;
}

}  // namespace

COLORREF resolve_colour(Colour colour)
{
    return colour.source == Colour::Source::system ? GetSysColor(int(colour.value)) : COLORREF(colour.value);
}

HWND form_control_holding(HWND parent, HWND window)
{
    while (window && GetParent(window) != parent) window = GetParent(window);
    return window;
}

BuiltForm::BuiltForm(HWND parent, const FormSpec& form) : form_(form), parent_(parent)
{
    window_brush_ = CreateSolidBrush(resolve_colour(form.background));
    const BaseUnits base = dialog_base_units();
    for (const ControlSpec& control : form.controls) {
        const std::wstring text(control.text);
        HWND child = CreateWindowExW(extended_style_of(control), window_class_of(control.kind), text.c_str(),
                                     style_of(control), units_to_pixels(control.x, Direction::horizontal, base),
                                     units_to_pixels(control.y, Direction::vertical, base),
                                     units_to_pixels(control.width, Direction::horizontal, base),
                                     creation_height(control, base), parent,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), GetModuleHandleW(nullptr), nullptr);
        if (!child) continue;
        // An ID list naming no theme class turns the theme off for the control.
        // It is one blank, as SetWindowTheme's documentation writes it: Wine
        // takes an empty list as no list at all and keeps the theme.
        if (keeps_form_colours_only_unthemed(control)) SetWindowTheme(child, L" ", L" ");
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_for(control.font)), FALSE);
        if (control.kind == ControlKind::single_line_edit || control.kind == ControlKind::multi_line_edit)
            SendMessageW(child, EM_SETLIMITTEXT, 0, 0);  // no length limit
        if (control.kind == ControlKind::drop_down_combo) {
            SendMessageW(child, CB_LIMITTEXT, 0, 0);  // no length limit
            fit_combo_field(child, units_to_pixels(control.height, Direction::vertical, base));
        }
        if (control.flags & initially_checked) SendMessageW(child, BM_SETCHECK, BST_CHECKED, 0);
        if (control.tab > 0 && control.kind != ControlKind::group_box) tab_sequence_.push_back(control.id);
    }
    // A new control goes below those made before it, so frames go down once all are made.
    for (const ControlSpec& control : form.controls)
        if (control.kind == ControlKind::group_box)
            SetWindowPos(GetDlgItem(parent, control.id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    std::stable_sort(tab_sequence_.begin(), tab_sequence_.end(), [&form](int a, int b) {
        const ControlSpec& first = *find_control(form, a);
        const ControlSpec& second = *find_control(form, b);
        if (first.tab != second.tab) return first.tab < second.tab;
        if (first.y != second.y) return first.y < second.y;
        return first.x < second.x;
    });
}

BuiltForm::~BuiltForm()
{
    // The controls are destroyed with their parent; what they drew with goes here.
    for (auto& [spec, font] : fonts_) DeleteObject(font);
    for (auto& [colour, brush] : solid_brushes_) DeleteObject(brush);
    if (hatch_brush_) DeleteObject(hatch_brush_);
    DeleteObject(window_brush_);
}

HFONT BuiltForm::font_for(const FontSpec& font)
{
    for (const auto& [spec, handle] : fonts_)
        if (same_font(spec, font)) return handle;
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(font.points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    const DWORD pitch_and_family = font.pitch == FontSpec::Pitch::fixed_modern ? (FIXED_PITCH | FF_MODERN)
                                                                                 : (VARIABLE_PITCH | FF_DONTCARE);
    const std::wstring face(font.face);
    HFONT handle = CreateFontW(height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitch_and_family, face.c_str());
    fonts_.emplace_back(font, handle);
    return handle;
}

HBRUSH BuiltForm::brush_for(Colour colour) const
{
    if (colour.source == Colour::Source::system) return GetSysColorBrush(int(colour.value));
    const COLORREF rgb = resolve_colour(colour);
    auto found = solid_brushes_.find(rgb);
    if (found == solid_brushes_.end()) found = solid_brushes_.emplace(rgb, CreateSolidBrush(rgb)).first;
    return found->second;
}

HBRUSH BuiltForm::colour_control(HWND control, HDC dc) const
{
    // A combo box's field and list ask for their colours through it.
    HWND form_control = form_control_holding(parent_, control);
    const ControlSpec* spec = find_control(form_, GetDlgCtrlID(form_control));
    if (!spec) return nullptr;
    // A disabled field looks greyed, as Windows draws it, whatever its colours.
    if (is_field(spec->kind) && !IsWindowEnabled(form_control)) return nullptr;
    if (spec->text_colour.source != Colour::Source::platform) SetTextColor(dc, resolve_colour(spec->text_colour));
    if (spec->background.source == Colour::Source::platform) {
        // Edits and buttons keep their own; labels and group boxes show the window's.
        if (is_field(spec->kind) || spec->kind == ControlKind::command_button) return nullptr;
        SetBkColor(dc, resolve_colour(form_.background));
        return window_brush_;
    }
    SetBkColor(dc, resolve_colour(spec->background));
    if (spec->flags & hatched_background) {
        if (!hatch_brush_) hatch_brush_ = make_hatch_brush(resolve_colour(spec->background));
        SetBkMode(dc, TRANSPARENT);  // the text over the hatch, not over a box of plain colour
        return hatch_brush_;
    }
    return brush_for(spec->background);
}

void BuiltForm::paint_background(HWND parent, HDC dc) const
{
    RECT client;
    GetClientRect(parent, &client);
    FillRect(dc, &client, window_brush_);
    // Last in the list lies lowest: paint from the end so upper boxes cover lower ones.
    for (auto control = form_.controls.rbegin(); control != form_.controls.rend(); ++control) {
        if (control->kind != ControlKind::group_box || control->background.source == Colour::Source::platform) continue;
        HWND child = GetDlgItem(parent, control->id);
        RECT box;
        GetWindowRect(child, &box);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&box), 2);
        FillRect(dc, &box, brush_for(control->background));
    }
}

}  // namespace platform
