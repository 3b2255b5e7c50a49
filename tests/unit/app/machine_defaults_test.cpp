// Where the form's data path and the SQL Server notice come from: SQL Server
// 2000's keys and the default instance's current keys, written in the real
// registry of the throw-away prefix in the views each SQL Server uses.
#include "app/machine_defaults.h"

#include "platform/registry.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

using platform::RegistryView;

const std::wstring instance_names_key = L"SOFTWARE\\Microsoft\\Microsoft SQL Server\\Instance Names\\SQL";

void remove_tree(REGSAM view, const wchar_t* parent, const wchar_t* subkey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, parent, 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return;
    RegDeleteTreeW(key, subkey);
    RegCloseKey(key);
}

// Every SQL Server key these cases write, in both views.
void remove_sql_server_keys()
{
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        remove_tree(view, L"SOFTWARE\\Microsoft", L"Microsoft SQL Server");
        remove_tree(view, L"SOFTWARE\\Microsoft\\MSSQLServer", L"MSSQLServer");
        remove_tree(view, L"SOFTWARE\\Microsoft\\MSSQLServer", L"Setup");
    }
}

// One SQL Server's keys; an empty text leaves that value unwritten.
struct OldKeys {
    std::wstring default_domain;
    std::wstring data_root;
};
struct CurrentKeys {
    std::wstring instance_id;
    std::wstring data_root;
};

void write(RegistryView view, const std::wstring& key, const std::wstring& name, const std::wstring& value)
{
    if (value.empty()) return;
    ASSERT_TRUE(platform::write_machine_string(view, key, name, value).succeeded);
}

void seed(const OldKeys& old_keys, const CurrentKeys& keys64, const CurrentKeys& keys32)
{
    write(RegistryView::bits32, L"SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer", L"DefaultDomain",
          old_keys.default_domain);
    write(RegistryView::bits32, L"SOFTWARE\\Microsoft\\MSSQLServer\\Setup", L"SQLDataRoot", old_keys.data_root);
    for (const auto& [view, keys] : {std::pair{RegistryView::bits64, keys64}, std::pair{RegistryView::bits32, keys32}}) {
        write(view, instance_names_key, L"MSSQLSERVER", keys.instance_id);
        if (!keys.instance_id.empty() && keys.instance_id != L" ")
            write(view, L"SOFTWARE\\Microsoft\\Microsoft SQL Server\\" + keys.instance_id + L"\\Setup",
                  L"SQLDataRoot", keys.data_root);
    }
}

class MachineDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override { remove_sql_server_keys(); }
    void TearDown() override { remove_sql_server_keys(); }
};

TEST_F(MachineDefaultsTest, OldKeysWinThenTheDefaultInstance64BitThen32Bit)
{
    const CurrentKeys none;
    const CurrentKeys sql2022_64{L"MSSQL16.MSSQLSERVER", L"E:\\Program Files\\Microsoft SQL Server\\MSSQL16.MSSQLSERVER\\MSSQL"};
    const CurrentKeys sql2019_32{L"MSSQL15.MSSQLSERVER", L"F:\\SQL32"};
    const struct {
        const char* name;
        OldKeys old_keys;
        CurrentKeys keys64;
        CurrentKeys keys32;
        bool found;
        std::wstring data_path;
    } rows[] = {
        {"nothing", {}, none, none, false, L"D:\\data"},
        {"current keys only", {}, sql2022_64, none, true,
         L"E:\\Program Files\\Microsoft SQL Server\\MSSQL16.MSSQLSERVER\\MSSQL\\data"},
        {"a 32-bit instance", {}, none, sql2019_32, true, L"F:\\SQL32\\data"},
        {"both views: the 64-bit one", {}, sql2022_64, sql2019_32, true,
         L"E:\\Program Files\\Microsoft SQL Server\\MSSQL16.MSSQLSERVER\\MSSQL\\data"},
        {"old and current: the old root", {L"KORVENA", L"C:\\MSSQL"}, sql2022_64, none, true, L"C:\\MSSQL\\data"},
        {"old domain blank, instance registered", {L"   ", L""}, sql2022_64, none, true,
         L"E:\\Program Files\\Microsoft SQL Server\\MSSQL16.MSSQLSERVER\\MSSQL\\data"},
        {"old root without a drive counts as none", {L"KORVENA", L"\\\\server\\share"}, none, sql2019_32, true,
         L"F:\\SQL32\\data"},
        {"old keys alone, as before", {L"KORVENA", L"\\\\server\\share"}, none, none, true, L"D:\\data"},
        {"instance without its Setup key", {}, {L"MSSQL16.MSSQLSERVER", L""}, none, true, L"D:\\data"},
        {"64-bit root without a drive, 32-bit root", {}, {L"MSSQL16.MSSQLSERVER", L"SQL"}, sql2019_32, true,
         L"F:\\SQL32\\data"},
        {"blank instance id is no instance", {}, {L" ", L""}, none, false, L"D:\\data"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        remove_sql_server_keys();
        ASSERT_NO_FATAL_FAILURE(seed(row.old_keys, row.keys64, row.keys32));
        const app::MachineDefaults defaults = app::machine_defaults(L"mirvox");
        EXPECT_EQ(defaults.sql_server_found, row.found);
        EXPECT_EQ(defaults.data_path, row.data_path);
    }
}

}  // namespace
