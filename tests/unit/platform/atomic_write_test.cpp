// A result file a deployment tool may read at any moment: whole or absent,
// never half written, and nothing left beside it when it cannot be written.
#include "platform/files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

namespace {

std::wstring temp_path(const std::wstring& name)
{
    wchar_t folder[MAX_PATH];
    return std::wstring(folder, GetTempPathW(MAX_PATH, folder)) + L"korvena-" +
           std::to_wstring(GetCurrentProcessId()) + L"-" + name;
}

std::string content_of(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(AtomicWrite, ReplacesAnEarlierFileWholeAndLeavesNothingBeside)
{
    const std::wstring path = temp_path(L"result.json");
    ASSERT_TRUE(platform::write_file_atomically(path, std::string(100000, 'x')).succeeded);
    const platform::Outcome second = platform::write_file_atomically(path, "{}\n");
    ASSERT_TRUE(second.succeeded);
    EXPECT_EQ(content_of(path), "{}\n");
    EXPECT_FALSE(platform::file_exists(path + L".partial"));
    DeleteFileW(path.c_str());
}

TEST(AtomicWrite, AMissingFolderIsAFailureWithTheSystemsReason)
{
    const std::wstring folder = temp_path(L"no-such-folder");
    const platform::Outcome written = platform::write_file_atomically(folder + L"\\result.json", "{}\n");
    EXPECT_FALSE(written.succeeded);
    EXPECT_FALSE(written.system_message.empty());
    EXPECT_FALSE(platform::file_exists(folder + L"\\result.json.partial"));
}

}  // namespace
