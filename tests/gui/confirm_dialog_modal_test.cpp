// The check-code dialog opened for real from w_main (Win32Prompts, the modal
// loop): the form is disabled while it is open and receives its answer
// through the message object. A timer plays the operator.
#include "gui_test_support.h"

#include "confirm_dialog/confirm_dialog_form.h"
#include "platform/win32_prompts.h"

namespace {

using namespace ui::check_num;

enum class Operator { retype_code, cancel };

struct Observed {
    Operator plan = Operator::cancel;
    HWND opener = nullptr;
    bool opener_was_disabled = false;
    int ticks = 0;
};
Observed observed;

// Answers the dialog once it is there; if an answer did not close it, closes
// it the other way, so the test never blocks.
void CALLBACK operator_at_the_dialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindowW(L"Korvena.w_input_check_num", nullptr);
    if (!dialog && ++observed.ticks < 100) return;
    if (!dialog || observed.ticks > 1000) {
        KillTimer(nullptr, timer);
        return;
    }
    if (observed.ticks < 1000) {
        observed.ticks = 1000;
        observed.opener_was_disabled = !IsWindowEnabled(observed.opener);
        if (observed.plan == Operator::retype_code) {
            gui_test::set_control_text(dialog, sle_1, gui_test::control_text(dialog, st_4));
            SendMessageW(GetDlgItem(dialog, cb_ok), BM_CLICK, 0, 0);
        } else {
            SendMessageW(GetDlgItem(dialog, cb_cancel), BM_CLICK, 0, 0);
        }
        return;
    }
    KillTimer(nullptr, timer);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
}

TEST(CheckNumDialogModal, TheOpenerWaitsAndReceivesTheAnswer)
{
    // Seeded, so that wf_init shows no real, blocking notice.
    ASSERT_NO_FATAL_FAILURE(gui_test::seed_sql_server_keys(L"KORVENA", L"C:\\SQL"));
    app::Application application;
    application.open();
    platform::Win32Prompts prompts(application.message);
    ui::w_main main_window(application, prompts);
    ASSERT_TRUE(main_window.create(nullptr));
    prompts.set_main_window(main_window.handle());
    main_window.show();

    for (const auto& [plan, answer] : {std::pair{Operator::retype_code, L"1"}, std::pair{Operator::cancel, L"0"}}) {
        observed = Observed{plan, main_window.handle()};
        SetTimer(nullptr, 0, 50, &operator_at_the_dialog);
        EXPECT_EQ(main_window.confirm_reinstall(), answer);
        EXPECT_TRUE(observed.opener_was_disabled);
        EXPECT_TRUE(IsWindowEnabled(main_window.handle())) << "the form is usable again";
        EXPECT_EQ(FindWindowW(L"Korvena.w_input_check_num", nullptr), nullptr);
    }
    gui_test::remove_sql_server_keys();
}

}  // namespace
