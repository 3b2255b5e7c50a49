// Starting programs: the command line splits back into the same arguments,
// and a started program really receives them (reg.exe writes one into the
// prefix's registry, where the test reads it back).
#include "platform/program_start.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

namespace {

std::vector<std::wstring> split_by_windows(const std::wstring& line)
{
    int count = 0;
    wchar_t** parts = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> split(parts, parts + count);
    LocalFree(parts);
    return split;
}

const std::vector<std::wstring> awkward_arguments = {
    L"plain",
    L"",
    L"two words",
    L"C:\\Program Files\\Korvena\\",            // a trailing backslash before the closing quote
    L"say \"hi\"",
    L"\\\\server\\share",                       // backslashes not before a quote stay single
    L"back\\\\\"quote",
    L"tab\there",
    L"门店 数据",
    L"--server=127.0.0.1,1433;PWD=x",
};

TEST(ProgramStart, TheCommandLineSplitsBackIntoTheSameArguments)
{
    const std::wstring program = L"C:\\Program Files\\Korvena\\dbinstall.exe";
    std::vector<std::wstring> expected = {program};
    expected.insert(expected.end(), awkward_arguments.begin(), awkward_arguments.end());
    EXPECT_EQ(split_by_windows(platform::command_line_for(program, awkward_arguments)), expected);
    EXPECT_EQ(split_by_windows(platform::command_line_for(program, {})), std::vector<std::wstring>{program});
}

class StartedProgramTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, key); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, key); }

    static std::optional<std::wstring> value_written(DWORD wait_ms)
    {
        const DWORD deadline = GetTickCount() + wait_ms;
        do {
            wchar_t data[512];
            DWORD size = sizeof(data);
            if (RegGetValueW(HKEY_CURRENT_USER, key, L"Value", RRF_RT_REG_SZ, nullptr, data, &size) == ERROR_SUCCESS)
                return std::wstring(data);
            Sleep(50);
        } while (static_cast<LONG>(GetTickCount() - deadline) < 0);
        return std::nullopt;
    }

    static constexpr const wchar_t* key = L"Software\\KorvenaProgramStartTest";
};

TEST_F(StartedProgramTest, TheProgramGetsEachArgumentUnchangedAndTheCallerDoesNotWait)
{
    wchar_t system_folder[MAX_PATH];
    const std::wstring reg = std::wstring(system_folder, GetSystemDirectoryW(system_folder, MAX_PATH)) + L"\\reg.exe";
    const std::wstring value = L"C:\\Program Files\\数据\\ \"quoted\" end\\";
    const platform::Outcome start = platform::start_program(
        reg, {L"add", L"HKCU\\Software\\KorvenaProgramStartTest", L"/v", L"Value", L"/d", value, L"/f"});
    ASSERT_TRUE(start.succeeded) << start.system_message;
    EXPECT_EQ(start.system_message, L"");
    EXPECT_EQ(value_written(20000), value);
}

TEST_F(StartedProgramTest, AMissingProgramGivesTheSystemsReason)
{
    const platform::Outcome start = platform::start_program(L"C:\\no-such-folder\\dbinstall.exe", {L"--x"});
    EXPECT_FALSE(start.succeeded);
    EXPECT_FALSE(start.system_message.empty());
    EXPECT_NE(start.system_message.back(), L'\n') << "the message is one line to append to";
}

}  // namespace
