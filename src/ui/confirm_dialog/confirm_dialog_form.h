// The form of w_input_check_num: a frameless window and its seven controls, in
// list order, with the stable control IDs 201..207.
#pragma once

#include "platform/form.h"

namespace ui::check_num {

// Control IDs of w_input_check_num, in control-list order. None is IDOK (1)
// or IDCANCEL (2): Enter and Escape press nothing.
enum ConfirmDialogControl : int {
    cb_cancel = 201,
    cb_ok = 202,
    st_1 = 203,   // red warning
    st_4 = 204,   // the check code, on a hatched background
    sle_1 = 205,  // where the operator retypes it
    st_5 = 206,   // "校验码："
    gb_1 = 207,
};

inline constexpr int dialog_width = 1829;
inline constexpr int dialog_height = 832;

const platform::FormSpec& confirm_dialog_form();

}  // namespace ui::check_num
