// Registry strings against the real registry of the throw-away prefix, in
// both views.
#include "platform/registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using platform::RegistryView;

const std::wstring test_key = L"SOFTWARE\\KorvenaRegistryTest";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { remove_test_key(); }
    void TearDown() override { remove_test_key(); }

    static void remove_test_key()
    {
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, (test_key + L"\\Inner").c_str(), view, 0);
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, test_key.c_str(), view, 0);
        }
    }
};

TEST_F(RegistryTest, WritesCreateTheKeyAndReadsGiveTheStringBack)
{
    for (const RegistryView view : {RegistryView::bits32, RegistryView::bits64}) {
        EXPECT_EQ(platform::read_machine_string(view, test_key, L"Value"), std::nullopt) << "absent key";
        ASSERT_TRUE(platform::write_machine_string(view, test_key + L"\\Inner", L"Value", L"C:\\数据\\SQL").succeeded);
        EXPECT_EQ(platform::read_machine_string(view, test_key + L"\\Inner", L"Value"), L"C:\\数据\\SQL");
        EXPECT_EQ(platform::read_machine_string(view, test_key + L"\\Inner", L"Other"), std::nullopt) << "absent value";
        ASSERT_TRUE(platform::write_machine_string(view, test_key + L"\\Inner", L"Value", L"").succeeded);
        EXPECT_EQ(platform::read_machine_string(view, test_key + L"\\Inner", L"Value"), L"");
        remove_test_key();
    }
}

TEST_F(RegistryTest, EachViewSeesOnlyItsOwnValues)
{
    ASSERT_TRUE(platform::write_machine_string(RegistryView::bits32, test_key, L"Only32", L"32").succeeded);
    ASSERT_TRUE(platform::write_machine_string(RegistryView::bits64, test_key, L"Only64", L"64").succeeded);
    EXPECT_EQ(platform::read_machine_string(RegistryView::bits32, test_key, L"Only32"), L"32");
    EXPECT_EQ(platform::read_machine_string(RegistryView::bits32, test_key, L"Only64"), std::nullopt);
    EXPECT_EQ(platform::read_machine_string(RegistryView::bits64, test_key, L"Only64"), L"64");
    EXPECT_EQ(platform::read_machine_string(RegistryView::bits64, test_key, L"Only32"), std::nullopt);
}

TEST_F(RegistryTest, ReadsOnlyStringsAndStopsAtTheFirstNul)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, test_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD number = 42;
    RegSetValueExW(key, L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
    // Stored without its terminating NUL, as some installers write strings.
    const wchar_t unterminated[] = {L'C', L':', L'\\', L'X'};
    RegSetValueExW(key, L"Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated), sizeof(unterminated));
    const wchar_t early_nul[] = L"C:\\SQL\0junk";
    RegSetValueExW(key, L"Early", 0, REG_SZ, reinterpret_cast<const BYTE*>(early_nul), sizeof(early_nul));
    RegCloseKey(key);
    EXPECT_EQ(platform::read_machine_string(RegistryView::bits64, test_key, L"Number"), std::nullopt);
    EXPECT_EQ(platform::read_machine_string(RegistryView::bits64, test_key, L"Bare"), L"C:\\X");
    EXPECT_EQ(platform::read_machine_string(RegistryView::bits64, test_key, L"Early"), L"C:\\SQL");

    // The same values as numbers, and listed as strings: only the strings come, cut as above.
    EXPECT_EQ(platform::read_machine_dword(RegistryView::bits64, test_key, L"Number"), 42u);
    EXPECT_EQ(platform::read_machine_dword(RegistryView::bits64, test_key, L"Bare"), std::nullopt);
    EXPECT_EQ(platform::read_machine_dword(RegistryView::bits32, test_key, L"Number"), std::nullopt);
    using Values = std::vector<std::pair<std::wstring, std::wstring>>;
    Values listed = platform::machine_string_values(RegistryView::bits64, test_key);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (Values{{L"Bare", L"C:\\X"}, {L"Early", L"C:\\SQL"}}));
    EXPECT_EQ(platform::machine_string_values(RegistryView::bits32, test_key), Values{});
    ASSERT_TRUE(platform::write_machine_dword(RegistryView::bits64, test_key, L"Number", 2).succeeded);
    EXPECT_EQ(platform::read_machine_dword(RegistryView::bits64, test_key, L"Number"), 2u);
}

}  // namespace
