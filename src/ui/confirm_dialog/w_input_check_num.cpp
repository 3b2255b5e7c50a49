// The check-code dialog's open step, buttons and close-query.
#include "w_input_check_num.h"

#include "confirm_dialog_form.h"
#include "platform/layout_units.h"
#include "platform/machine.h"
#include "platform/number_format.h"
#include "platform/random.h"

namespace ui {

using namespace check_num;

int check_num_dialog_origin(int screen_units, int window_units, double offset)
{
    return static_cast<int>((screen_units - window_units) * 0.5 + offset);
}

w_input_check_num::w_input_check_num(platform::Prompts& prompts, platform::MessageObject& message)
    : ResponseWindow(confirm_dialog_form()), prompts_(prompts), message_(message)
{
}

void w_input_check_num::on_open()
{
    // Without the screen size the dialog stays centred and shows, and checks
    // against, its placeholder code.
    const auto screen = platform::display_size();
    if (!screen) return;
    move_to(check_num_dialog_origin(platform::pixels_to_units(screen->width, platform::Direction::horizontal),
                                    dialog_width, -10.0),
            check_num_dialog_origin(platform::pixels_to_units(screen->height, platform::Direction::vertical),
                                    dialog_height, -250.0));
    platform::reseed_random_from_clock();
    set_text(st_4, platform::format_number(platform::random_from_1_to(9999), L"0000"));
}

void w_input_check_num::on_clicked(int control_id)
{
    if (control_id == cb_ok) {
        confirm();
    } else if (control_id == cb_cancel) {
        is_ret_ = L"0";
        close();
    }
}

void w_input_check_num::confirm()
{
    // Character for character: "42" or "0042 " is not "0042".
    if (text(sle_1) != text(st_4)) {
        prompts_.message_box(L"", L"校验码输入不正确，请重新输入");
        set_focus(sle_1);
        return;
    }
    is_ret_ = L"1";
    close();
}

void w_input_check_num::on_close_query()
{
    message_.string_parm = is_ret_;
}

}  // namespace ui
