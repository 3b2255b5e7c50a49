// InstallSettings from dbinstall.ini files written to a temporary working
// directory (and beside the test program), read through the real file system.
#include "app/install_settings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring folder_of_program()
{
    wchar_t path[MAX_PATH];
    const std::wstring full(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return full.substr(0, full.find_last_of(L'\\') + 1);
}

void write_bytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// Each case runs in a fresh, empty working directory.
class InstallSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t previous[MAX_PATH];
        previous_.assign(previous, GetCurrentDirectoryW(MAX_PATH, previous));
        wchar_t temp[MAX_PATH];
        folder_.assign(temp, GetTempPathW(MAX_PATH, temp));
        folder_ += L"korvena-settings-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
        ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
    }
    void TearDown() override
    {
        SetCurrentDirectoryW(previous_.c_str());
        DeleteFileW((folder_ + L"\\dbinstall.ini").c_str());
        RemoveDirectoryW(folder_.c_str());
    }

    static void write_ini(const std::string& bytes) { write_bytes(L"dbinstall.ini", bytes); }

    std::wstring previous_;
    std::wstring folder_;
};

void expect_settings(const app::InstallSettings& settings, const std::wstring& dbname, const std::wstring& logid)
{
    EXPECT_EQ(settings.is_dbname, dbname);
    EXPECT_EQ(settings.is_logid, logid);
    EXPECT_EQ(settings.is_pass, L"rovtakl");
}

TEST_F(InstallSettingsTest, WithoutAFileEveryDefaultApplies)
{
    expect_settings(app::load_install_settings(L"mirvox"), L"mirvox", L"mirvox");
    expect_settings(app::load_install_settings(L"other"), L"other", L"mirvox");
}

TEST_F(InstallSettingsTest, TakesOnlyTheTwoKeysOfSectionDatabase)
{
    write_ini("[database]\r\ndatabasename=shop2\r\n");
    expect_settings(app::load_install_settings(L"mirvox"), L"shop2", L"mirvox");

    write_ini("[server]\r\ndatabasename=shop2\r\nlogid=clerk\r\n");
    expect_settings(app::load_install_settings(L"mirvox"), L"mirvox", L"mirvox");

    write_ini("[Database]\r\nDATABASENAME=shop3\r\nlogid=clerk\r\npassword=secret\r\npass=secret\r\nfile=x.dat\r\n");
    expect_settings(app::load_install_settings(L"mirvox"), L"shop3", L"clerk");
}

TEST_F(InstallSettingsTest, ReadsGbkAndUtf8WithBomInAnyLineEnding)
{
    // "门店库" in GBK.
    write_ini("[database]\r\ndatabasename=\xC3\xC5\xB5\xEA\xBF\xE2\r\n");
    expect_settings(app::load_install_settings(L"mirvox"), L"门店库", L"mirvox");

    write_ini("\xEF\xBB\xBF[database]\nlogid=\xE6\x94\xB6\xE9\x93\xB6\n");  // "收银" in UTF-8
    expect_settings(app::load_install_settings(L"mirvox"), L"mirvox", L"收银");

    write_ini("[database]\ndatabasename=lf\nlogid=lf_user\n");
    expect_settings(app::load_install_settings(L"mirvox"), L"lf", L"lf_user");
}

TEST_F(InstallSettingsTest, AFileThatIsNotTextOrEmptyValuesGiveTheDefaults)
{
    std::string binary("MZ\x90\0\x03\0\0\0[database]\ndatabasename=x\n", 34);
    for (int byte = 0; byte < 256; ++byte) binary += char(byte);
    write_ini(binary);
    expect_settings(app::load_install_settings(L"mirvox"), L"mirvox", L"mirvox");

    write_ini("[database]\r\ndatabasename=\r\nlogid=   \r\n");
    expect_settings(app::load_install_settings(L"mirvox"), L"mirvox", L"mirvox");

    write_ini(std::string(2 << 20, 'a'));  // larger than any settings file
    expect_settings(app::load_install_settings(L"mirvox"), L"mirvox", L"mirvox");
}

TEST_F(InstallSettingsTest, LooksBesideTheProgramWhenTheWorkingDirectoryHasNone)
{
    const std::wstring beside = folder_of_program() + L"dbinstall.ini";
    write_bytes(beside, "[database]\r\ndatabasename=beside\r\n");
    expect_settings(app::load_install_settings(L"mirvox"), L"beside", L"mirvox");

    write_ini("[database]\r\nlogid=here\r\n");  // the working directory's file wins whole
    expect_settings(app::load_install_settings(L"mirvox"), L"mirvox", L"here");
    DeleteFileW(beside.c_str());
}

}  // namespace
