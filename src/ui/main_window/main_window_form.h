// The form of w_main: its window and its 24 controls, in list order, with the
// stable control IDs 101..124 that drivers and tests find them by.
#pragma once

#include "platform/form.h"

namespace ui {

// Control IDs of w_main, in control-list order.
enum MainWindowControl : int {
    cb_3 = 101,           // "..." browse for the data installation path
    rb_3 = 102,           // 连锁分部, ChainBranch
    rb_2 = 103,           // 连锁总部, ChainHeadquarters
    rb_1 = 104,           // 单店, SingleStore
    st_8 = 105,           // title banner
    st_7 = 106,           // frame behind the banner
    mle_1 = 107,          // InstallLog
    st_info = 108,        // status line
    cb_selectfile = 109,  // "..." browse for the template database file
    sle_sqlserver = 110,  // the server: typed, or one of this computer's instances picked
    sle_sqldbpath = 111,
    sle_sourcedb = 112,
    sle_sa = 113,
    sle_password = 114,
    st_6 = 115,           // labels of the five fields
    st_5 = 116,
    st_3 = 117,
    st_2 = 118,
    st_4 = 119,
    cb_2 = 120,           // Exit
    cb_1 = 121,           // Install
    gb_1 = 122,           // frame of the five fields
    gb_2 = 123,           // frame of the store-mode buttons
    cbx_windows_auth = 124,  // the administrator connects with Windows authentication
};

inline constexpr int main_window_width = 4558;     // design width, log box included
inline constexpr int main_window_narrowed = 3131;  // width after opening: the log box lies outside

const platform::FormSpec& main_window_form();

}  // namespace ui
