// w_input_check_num: the code, the exact comparison, Cancel, the keys that do
// nothing, the result handed to the opener, and the position.
#include "gui_test_support.h"

#include "confirm_dialog/confirm_dialog_form.h"
#include "confirm_dialog/w_input_check_num.h"
#include "platform/layout_units.h"
#include "platform/message_object.h"
#include "platform/modal_loop.h"

#include <set>

namespace {

using gui_test::control_text;
using namespace ui::check_num;

const std::wstring wrong_code_text = L"校验码输入不正确，请重新输入";

class CheckNumDialogTest : public ::testing::Test {
protected:
    void SetUp() override { open(); }

    void open(bool visible = true)
    {
        message_.string_parm = L"unset";
        dialog_ = std::make_unique<ui::w_input_check_num>(prompts_, message_);
        ASSERT_TRUE(dialog_->create(nullptr));
        if (visible) dialog_->show();
    }
    HWND handle() const { return dialog_->handle(); }
    std::wstring code() const { return control_text(handle(), st_4); }

    void attempt(const std::wstring& typed)
    {
        gui_test::set_control_text(handle(), sle_1, typed);
        gui_test::click(*dialog_, cb_ok);
    }

    platform::ScriptedPrompts prompts_;
    platform::MessageObject message_;
    std::unique_ptr<ui::w_input_check_num> dialog_;
};

bool is_four_digits(const std::wstring& code)
{
    return code.size() == 4 && code.find_first_not_of(L"0123456789") == std::wstring::npos;
}

TEST_F(CheckNumDialogTest, ShowsAFreshFourDigitCodeNeverZero)
{
    std::set<std::wstring> codes;
    for (int opening = 0; opening < 60; ++opening) {
        open(false);  // the code is drawn in the open step, before showing
        EXPECT_TRUE(is_four_digits(code())) << code();
        EXPECT_NE(code(), L"0000");
        codes.insert(code());
    }
    EXPECT_GT(codes.size(), 30u) << "successive openings must draw independently";
}

TEST_F(CheckNumDialogTest, OnlyTheExactCodeConfirmsAndWrongAttemptsKeepIt)
{
    const std::wstring shown = code();
    const std::wstring without_zeros = std::to_wstring(std::stoi(shown));
    for (const std::wstring& typed : {std::wstring(), shown + L" ", L" " + shown, L"0" + shown,
                                      without_zeros == shown ? shown.substr(1) : without_zeros}) {
        attempt(typed);
        EXPECT_TRUE(dialog_->is_open()) << "accepted " << typed;
        EXPECT_EQ(code(), shown) << "the code was redrawn";
        EXPECT_EQ(control_text(handle(), sle_1), typed) << "the typed text stays";
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), sle_1);
    }
    const auto boxes = gui_test::message_boxes(prompts_);
    ASSERT_EQ(boxes.size(), 5u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.title, L"");
        EXPECT_EQ(box.text, wrong_code_text);
    }
    EXPECT_EQ(message_.string_parm, L"unset") << "nothing handed over while open";

    attempt(shown);
    EXPECT_FALSE(dialog_->is_open());
    EXPECT_EQ(message_.string_parm, L"1");
}

TEST_F(CheckNumDialogTest, CancelAndAnyOtherCloseHandZero)
{
    attempt(L"x");
    gui_test::click(*dialog_, cb_cancel);
    EXPECT_FALSE(dialog_->is_open());
    EXPECT_EQ(message_.string_parm, L"0");
    EXPECT_EQ(gui_test::message_boxes(prompts_).size(), 1u) << "Cancel asks nothing";

    open();
    SendMessageW(handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(dialog_->is_open());
    EXPECT_EQ(message_.string_parm, L"0");
}

TEST_F(CheckNumDialogTest, EnterAndEscapeInTheFieldPressNothing)
{
    gui_test::set_control_text(handle(), sle_1, code());
    gui_test::press_key(*dialog_, sle_1, VK_RETURN);
    gui_test::press_key(*dialog_, sle_1, VK_ESCAPE);
    EXPECT_TRUE(dialog_->is_open());
    EXPECT_TRUE(prompts_.shown().empty());
    EXPECT_EQ(message_.string_parm, L"unset");

    // The OK button with the focus is pressed with the keyboard.
    gui_test::press_key(*dialog_, cb_ok, VK_SPACE);
    SendMessageW(GetDlgItem(handle(), cb_ok), WM_KEYUP, VK_SPACE, 0);
    platform::process_pending_messages(*dialog_);
    EXPECT_EQ(message_.string_parm, L"1");
}

TEST_F(CheckNumDialogTest, IsFramelessWithTheEntryFieldFocusedAndPlacedAboveCentre)
{
    EXPECT_EQ(GetWindowLongW(handle(), GWL_STYLE) & (WS_CAPTION | WS_SYSMENU | WS_BORDER | WS_THICKFRAME), 0);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), sle_1);
    RECT window;
    GetWindowRect(handle(), &window);
    const int screen_width = GetSystemMetrics(SM_CXSCREEN);
    const int screen_height = GetSystemMetrics(SM_CYSCREEN);
    const int ten_units = platform::units_to_pixels(10, platform::Direction::horizontal);
    const int quarter_thousand_units = platform::units_to_pixels(250, platform::Direction::vertical);
    EXPECT_NEAR(window.left, (screen_width - (window.right - window.left)) / 2 - ten_units, 2);
    EXPECT_NEAR(window.top, (screen_height - (window.bottom - window.top)) / 2 - quarter_thousand_units, 2);
}

TEST(CheckNumDialogPosition, HalvesTheRoomAddsTheOffsetAndTruncatesTowardZero)
{
    EXPECT_EQ(ui::check_num_dialog_origin(4681, 1829, -10.0), 1416);
    EXPECT_EQ(ui::check_num_dialog_origin(4680, 1829, -10.0), 1415);
    EXPECT_EQ(ui::check_num_dialog_origin(3072, 832, -250.0), 870);
    EXPECT_EQ(ui::check_num_dialog_origin(1500, 1829, -10.0), -174);
}

}  // namespace
