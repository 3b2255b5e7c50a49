// w_input_check_num as data. The code label is centred, like the banner of
// w_main.
#include "confirm_dialog_form.h"

#include <array>

namespace ui::check_num {

namespace {

using namespace platform;  // the form vocabulary: kinds, colours, fonts, flags

constexpr FontSpec song(int points, int weight = 400) { return {L"宋体", points, weight, FontSpec::Pitch::variable_any_family}; }

constexpr Colour grey = Colour::rgb(206, 207, 206);
constexpr Colour platform_colour = Colour::platform_default();

const std::array<ControlSpec, 7> controls{{
    {cb_cancel, L"cb_cancel", ControlKind::command_button, L"取消", 1001, 616, 402, 108, song(9), platform_colour,
     platform_colour, 20},
    {cb_ok, L"cb_ok", ControlKind::command_button, L"确定", 265, 616, 402, 108, song(9), platform_colour, platform_colour, 20},
    {st_1, L"st_1", ControlKind::static_text, L"警告, 已存在旧的数据库，您确定要删除原有数据重新安装吗?", 69, 152, 1687, 76,
     song(10), Colour::rgb(255, 0, 0), grey, 0},
    {st_4, L"st_4", ControlKind::static_text, L"1234", 942, 352, 439, 108, song(20, 700), Colour::rgb(79, 79, 79), grey, 0,
     hatched_background | align_centre},
    {sle_1, L"sle_1", ControlKind::single_line_edit, L"", 494, 364, 402, 84, song(9), Colour::window_text(), platform_colour,
     10, sunken_border},
    {st_5, L"st_5", ControlKind::static_text, L"校验码：", 233, 376, 247, 48, song(9), Colour::window_text(), grey, 0},
    {gb_1, L"gb_1", ControlKind::group_box, L"", 27, 40, 1751, 552, song(9), Colour::window_text(), grey, 10},
}};

const FormSpec form{L"Korvena.w_input_check_num", L"", FormSpec::Frame::borderless, dialog_width, dialog_height, grey,
                    controls};

}  // namespace

const platform::FormSpec& confirm_dialog_form() { return form; }

}  // namespace ui::check_num
