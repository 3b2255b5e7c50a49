// Registry strings against the real registry of the throw-away prefix, in
// the 32-bit view.
#include "platform/registry.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

const std::wstring test_key = L"SOFTWARE\\KorvenaRegistryTest";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { remove_test_key(); }
    void TearDown() override { remove_test_key(); }

    static void remove_test_key()
    {
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, (test_key + L"\\Inner").c_str(), KEY_WOW64_32KEY, 0);
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, test_key.c_str(), KEY_WOW64_32KEY, 0);
    }
};

TEST_F(RegistryTest, WritesCreateTheKeyAndReadsGiveTheStringBack)
{
    EXPECT_EQ(platform::read_machine_string(test_key, L"Value"), std::nullopt) << "absent key";
    ASSERT_TRUE(platform::write_machine_string(test_key + L"\\Inner", L"Value", L"C:\\数据\\SQL"));
    EXPECT_EQ(platform::read_machine_string(test_key + L"\\Inner", L"Value"), L"C:\\数据\\SQL");
    EXPECT_EQ(platform::read_machine_string(test_key + L"\\Inner", L"Other"), std::nullopt) << "absent value";
    ASSERT_TRUE(platform::write_machine_string(test_key + L"\\Inner", L"Value", L""));
    EXPECT_EQ(platform::read_machine_string(test_key + L"\\Inner", L"Value"), L"");
}

TEST_F(RegistryTest, ReadsOnlyThe32BitViewAndOnlyStrings)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, test_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD number = 42;
    RegSetValueExW(key, L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
    // Stored without its terminating NUL, as some installers write strings.
    const wchar_t unterminated[] = {L'C', L':', L'\\', L'X'};
    RegSetValueExW(key, L"Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated), sizeof(unterminated));
    RegCloseKey(key);
    EXPECT_EQ(platform::read_machine_string(test_key, L"Number"), std::nullopt);
    EXPECT_EQ(platform::read_machine_string(test_key, L"Bare"), L"C:\\X");

    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (test_key + L"\\Inner").c_str(), 0, nullptr, 0,
                              KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, L"Only64", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
    RegCloseKey(key);
    EXPECT_EQ(platform::read_machine_string(test_key + L"\\Inner", L"Only64"), std::nullopt);
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, (test_key + L"\\Inner").c_str(), KEY_WOW64_64KEY, 0);
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, test_key.c_str(), KEY_WOW64_64KEY, 0);
}

}  // namespace
