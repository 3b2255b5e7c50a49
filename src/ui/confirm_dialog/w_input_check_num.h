// w_input_check_num: the modal question before an old database is dropped.
// Shows a fresh four-digit code; only that exact code, confirmed with OK,
// hands "1" to the opener; Cancel (or any other close) hands "0".
#pragma once

#include "platform/message_object.h"
#include "platform/prompts.h"
#include "platform/response_window.h"

#include <string>

namespace ui {

// The dialog's screen coordinate along one axis, in layout units: half the
// room the screen leaves around the window, plus `offset`, truncated toward
// zero (negative on a screen smaller than the window).
int check_num_dialog_origin(int screen_units, int window_units, double offset);

class w_input_check_num : public platform::ResponseWindow {
public:
    w_input_check_num(platform::Prompts& prompts, platform::MessageObject& message);

protected:
    void on_open() override;
    void on_clicked(int control_id) override;
    void on_close_query() override;

private:
    void confirm();

    platform::Prompts& prompts_;
    platform::MessageObject& message_;
    std::wstring is_ret_ = L"0";
};

}  // namespace ui
