// w_main as data. Banner, its frame and the status line are centred, as they
// span the working area; the field labels are right-aligned, so each ends
// where its field begins.
#include "main_window_form.h"

#include <array>

namespace ui {

namespace {

using namespace platform;  // the form vocabulary: kinds, colours, fonts, flags

constexpr FontSpec song(int points) { return {L"宋体", points, 400, FontSpec::Pitch::variable_any_family}; }
constexpr FontSpec lishu_28{L"隶书", 28, 400, FontSpec::Pitch::fixed_modern};
constexpr FontSpec fangsong_10{L"仿宋_GB2312", 10, 400, FontSpec::Pitch::fixed_modern};

constexpr Colour blue = Colour::rgb(0, 0, 255);
constexpr Colour light_blue = Colour::rgb(166, 202, 240);
constexpr Colour light_grey = Colour::rgb(206, 207, 206);
constexpr Colour white = Colour::rgb(255, 255, 255);
constexpr Colour window_text = Colour::window_text();
constexpr Colour inactive_border = Colour::system(11);
constexpr Colour platform_colour = Colour::platform_default();

constexpr auto button = ControlKind::command_button;
constexpr auto radio = ControlKind::radio_button;
constexpr auto label = ControlKind::static_text;
constexpr auto edit = ControlKind::single_line_edit;
constexpr auto combo = ControlKind::drop_down_combo;

const std::array<ControlSpec, 24> controls{{
    {cb_3, L"cb_3", button, L"...", 2958, 816, 101, 84, song(9), platform_colour, platform_colour, 30},
    {rb_3, L"rb_3", radio, L"连锁分部", 1646, 416, 407, 76, song(11), blue, inactive_border, 0, group_start},
    {rb_2, L"rb_2", radio, L"连锁总部", 914, 416, 407, 76, song(11), blue, inactive_border, 0},
    {rb_1, L"rb_1", radio, L"单店", 174, 416, 407, 76, song(11), blue, inactive_border, 0, initially_checked},
    {st_8, L"st_8", label, L"Korvena", 41, 112, 3045, 164, lishu_28, blue, light_blue, 0, group_start | align_centre},
    {st_7, L"st_7", label, L"", 27, 28, 3067, 312, song(11), blue, light_blue, 0, sunken_border | align_centre},
    {mle_1, L"mle_1", ControlKind::multi_line_edit, L"none", 3154, 24, 1335, 1396, song(9), window_text, platform_colour, 20,
     scroll_bars | sunken_border},
    {st_info, L"st_info", label, L"", 27, 1328, 3067, 208, song(11), blue, light_blue, 0, box_border | align_centre},
    {cb_selectfile, L"cb_selectfile", button, L"...", 2958, 916, 101, 84, song(9), platform_colour, platform_colour, 20},
    {sle_sqlserver, L"sle_sqlserver", combo, L"", 617, 604, 2437, 84, song(10), window_text, white, 10, sunken_border},
    {sle_sqldbpath, L"sle_sqldbpath", edit, L"", 617, 812, 2331, 84, song(10), window_text, white, 10, sunken_border},
    {sle_sourcedb, L"sle_sourcedb", edit, L"", 617, 916, 2331, 84, song(10), window_text, white, 10, sunken_border},
    {sle_sa, L"sle_sa", edit, L"", 617, 1020, 1400, 84, song(10), window_text, white, 10, sunken_border},
    {sle_password, L"sle_password", edit, L"", 617, 1124, 1400, 84, song(10), window_text, white, 10, sunken_border | password},
    {st_6, L"st_6", label, L"密码：", 55, 1136, 594, 72, fangsong_10, window_text, light_grey, 0, align_right},
    {st_5, L"st_5", label, L"系统管理员：", 55, 1024, 594, 72, fangsong_10, window_text, light_grey, 0, align_right},
    {st_3, L"st_3", label, L"模板数据库文件：", 55, 928, 594, 72, fangsong_10, window_text, light_grey, 0, align_right},
    {st_2, L"st_2", label, L"软件数据安装路径：", 55, 824, 594, 72, fangsong_10, window_text, light_grey, 0, align_right},
    {st_4, L"st_4", label, L"服务器名称或IP：", 55, 616, 594, 72, fangsong_10, window_text, light_grey, 0, align_right},
    {cb_2, L"cb_2", button, L"退出(&E)", 2729, 1540, 320, 100, song(9), platform_colour, platform_colour, 10},
    {cb_1, L"cb_1", button, L"安装(&I)", 2377, 1540, 320, 100, song(9), platform_colour, platform_colour, 10},
    {gb_1, L"gb_1", ControlKind::group_box, L"", 27, 532, 3067, 768, song(11), blue, light_grey, 20},
    {gb_2, L"gb_2", ControlKind::group_box, L"", 27, 352, 3067, 184, song(11), blue, inactive_border, 30},
    // On the password's row, so that Tab reaches it right after the password.
    {cbx_windows_auth, L"cbx_windows_auth", ControlKind::check_box, L"Windows 身份验证(&W)", 2100, 1124, 954, 84,
     fangsong_10, window_text, light_grey, 10},
}};

const platform::FormSpec form{L"Korvena.w_main", L"Untitled", platform::FormSpec::Frame::dialog_with_close_box,
                              main_window_width, 1728, light_grey, controls};

}  // namespace

const platform::FormSpec& main_window_form() { return form; }

}  // namespace ui
