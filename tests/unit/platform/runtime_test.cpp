// A broken invariant on the command line: reported on standard error (here a
// real file), never in a message box that would wait for a person.
#include "platform/runtime.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(Runtime, ACommandLineFailureGoesToStandardErrorAndEndsWithOne)
{
    wchar_t folder[MAX_PATH];
    const std::wstring path = std::wstring(folder, GetTempPathW(MAX_PATH, folder)) + L"korvena-runtime-" +
                              std::to_wstring(GetCurrentProcessId()) + L".err";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    HANDLE previous = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_ERROR_HANDLE, file);

    const int status = platform::start([]() -> int { throw std::logic_error("the form has no control 121"); },
                                       platform::FailureReport::standard_error);
    SetStdHandle(STD_ERROR_HANDLE, previous);

    EXPECT_EQ(status, 1);
    EXPECT_EQ(platform::start([] { return 7; }, platform::FailureReport::standard_error), 7);
    char text[128] = {};
    DWORD read = 0;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    ReadFile(file, text, sizeof(text) - 1, &read, nullptr);
    CloseHandle(file);
    EXPECT_STREQ(text, "dbinstall: the form has no control 121\n");
}

}  // namespace
