// The real file and folder pickers and message box of Win32Prompts, answered
// by a timer that plays the operator: the chosen path and bare name come
// back, a cancel gives empty answers, and nothing blocks.
#include "gui_test_support.h"

#include "platform/win32_prompts.h"

namespace {

constexpr int file_name_field = 0x47c;  // cmb13 of the common Open dialog

struct Operator {
    std::wstring file_to_type;  // empty: press Cancel
    int ticks = 0;
    bool answered = false;
    HWND owner = nullptr;  // of the dialog answered
};
Operator at_the_dialog;

void CALLBACK answer_common_dialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = FindWindowW(L"#32770", nullptr);
    if (!dialog || !IsWindowVisible(dialog)) {
        if (++at_the_dialog.ticks > 400) KillTimer(nullptr, timer);  // 20 s: give up, the test fails
        return;
    }
    if (at_the_dialog.answered) {  // an answer that did not close it: close it the plain way
        KillTimer(nullptr, timer);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    at_the_dialog.answered = true;
    at_the_dialog.owner = GetWindow(dialog, GW_OWNER);
    if (at_the_dialog.file_to_type.empty()) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    } else {
        SetDlgItemTextW(dialog, file_name_field, at_the_dialog.file_to_type.c_str());
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
}

class Win32PromptsTest : public ::testing::Test {
protected:
    void answer_next_dialog(std::wstring file_to_type)
    {
        at_the_dialog = Operator{std::move(file_to_type)};
        SetTimer(nullptr, 0, 50, &answer_common_dialog);
    }

    platform::MessageObject message_;
    platform::Win32Prompts prompts_{message_};
};

TEST_F(Win32PromptsTest, FileDialogGivesFullPathAndBareNameOrNothing)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"模板 shop.dat";
    CloseHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));

    answer_next_dialog(path);
    const platform::FileChoice chosen = prompts_.choose_file(L"Select Database File");
    EXPECT_EQ(_wcsicmp(chosen.path.c_str(), path.c_str()), 0);
    EXPECT_EQ(chosen.name, L"模板 shop.dat");
    EXPECT_TRUE(at_the_dialog.answered);

    answer_next_dialog(L"");
    const platform::FileChoice cancelled = prompts_.choose_file(L"Select Database File");
    EXPECT_EQ(cancelled.path, L"");
    EXPECT_EQ(cancelled.name, L"");
    DeleteFileW(path.c_str());
}

TEST_F(Win32PromptsTest, CancelledFolderBrowserGivesNothing)
{
    answer_next_dialog(L"");
    EXPECT_EQ(prompts_.browse_folder(L"Select Database File"), L"");
    EXPECT_TRUE(at_the_dialog.answered);
}

TEST_F(Win32PromptsTest, MessageBoxReturnsWhenDismissed)
{
    at_the_dialog = Operator{};
    SetTimer(nullptr, 0, 50, &answer_common_dialog);
    prompts_.message_box(L"提示", L"在本台机器上找不到MSS SQL Server");
    EXPECT_TRUE(at_the_dialog.answered);
}

TEST_F(Win32PromptsTest, PromptsBelongToTheMainWindowWhicheverWindowIsActive)
{
    // Another window of the program is active: a box owned by it (or by
    // nothing, as when another program is in front) could open behind the form.
    const auto top_level = [] {
        return CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                               nullptr, nullptr);
    };
    HWND main_window = top_level();
    HWND other = top_level();
    ASSERT_TRUE(main_window && other);
    SetActiveWindow(other);
    prompts_.set_main_window(main_window);
    for (const bool yes_no : {false, true}) {
        at_the_dialog = Operator{};
        SetTimer(nullptr, 0, 50, &answer_common_dialog);
        if (yes_no)
            prompts_.ask_yes_no(L"警告", L"重新启动 SQL Server 服务？");
        else
            prompts_.message_box(L"提示", L"安装新数据库成功！");
        EXPECT_TRUE(at_the_dialog.answered);
        EXPECT_EQ(at_the_dialog.owner, main_window);
    }
    DestroyWindow(other);
    DestroyWindow(main_window);
}

}  // namespace
