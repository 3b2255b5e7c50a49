// Where the form's data path and the SQL Server notice come from: SQL Server
// 2000's keys and the default instance's current keys, written in the real
// registry of the throw-away prefix in the views each SQL Server uses.
#include "app/machine_defaults.h"

#include "platform/machine.h"
#include "sql_server_keys.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using platform::RegistryView;
using test_support::remove_sql_server_keys;
using test_support::write_value;

const std::wstring instance_names_key = L"SOFTWARE\\Microsoft\\Microsoft SQL Server\\Instance Names\\SQL";

// One SQL Server's keys; an empty text leaves that value unwritten.
struct OldKeys {
    std::wstring default_domain;
    std::wstring data_root;
};
struct CurrentKeys {
    std::wstring instance_id;
    std::wstring data_root;
};

void seed(const OldKeys& old_keys, const CurrentKeys& keys64, const CurrentKeys& keys32)
{
    write_value(RegistryView::bits32, L"SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer", L"DefaultDomain",
                old_keys.default_domain);
    write_value(RegistryView::bits32, L"SOFTWARE\\Microsoft\\MSSQLServer\\Setup", L"SQLDataRoot", old_keys.data_root);
    for (const auto& [view, keys] : {std::pair{RegistryView::bits64, keys64}, std::pair{RegistryView::bits32, keys32}}) {
        write_value(view, instance_names_key, L"MSSQLSERVER", keys.instance_id);
        if (!keys.instance_id.empty() && keys.instance_id != L" ")
            write_value(view, L"SOFTWARE\\Microsoft\\Microsoft SQL Server\\" + keys.instance_id + L"\\Setup",
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

using test_support::Instance;

TEST_F(MachineDefaultsTest, EveryInstanceOfBothViewsTheDefaultOneFirstThenExpress)
{
    const Instance express{RegistryView::bits64, L"SQLEXPRESS", L"MSSQL16.SQLEXPRESS",
                           L"C:\\Program Files\\Microsoft SQL Server\\MSSQL16.SQLEXPRESS\\MSSQL", 1, 0, L"", L"0"};
    const Instance pos32{RegistryView::bits32, L"POS", L"MSSQL12.POS", L"D:\\POS", 2, 1, L"1500", L""};
    const Instance main64{RegistryView::bits64, L"MSSQLSERVER", L"MSSQL15.MSSQLSERVER", L"E:\\SQL", 2, 1, L"1433", L""};
    const std::wstring computer = platform::computer_name();
    const struct {
        const char* name;
        std::vector<Instance> instances;
        std::vector<std::wstring> listed;
        std::wstring server;
        std::wstring data_path;
        bool windows_authentication;
    } rows[] = {
        {"only Express", {express}, {L"SQLEXPRESS"}, computer + L"\\SQLEXPRESS",
         L"C:\\Program Files\\Microsoft SQL Server\\MSSQL16.SQLEXPRESS\\MSSQL\\data", true},
        {"a 32-bit named instance and Express", {pos32, express}, {L"SQLEXPRESS", L"POS"}, computer + L"\\SQLEXPRESS",
         L"C:\\Program Files\\Microsoft SQL Server\\MSSQL16.SQLEXPRESS\\MSSQL\\data", true},
        {"only another named instance", {pos32}, {L"POS"}, computer + L"\\POS", L"D:\\POS\\data", false},
        {"the default instance first", {express, pos32, main64}, {L"MSSQLSERVER", L"SQLEXPRESS", L"POS"}, computer,
         L"E:\\SQL\\data", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        remove_sql_server_keys();
        for (const Instance& instance : row.instances) ASSERT_NO_FATAL_FAILURE(test_support::register_instance(instance));
        const app::MachineDefaults defaults = app::machine_defaults(L"mirvox");
        std::vector<std::wstring> listed;
        for (const app::SqlServerInstance& instance : defaults.instances) listed.push_back(instance.name);
        std::sort(listed.begin(), listed.end());
        std::vector<std::wstring> expected = row.listed;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(listed, expected);
        EXPECT_EQ(defaults.server_name, row.server);
        EXPECT_EQ(defaults.data_path, row.data_path);
        EXPECT_EQ(defaults.windows_authentication, row.windows_authentication);
        EXPECT_TRUE(defaults.sql_server_found);
    }

    // Each instance's own settings, from its own view.
    const app::MachineDefaults defaults = app::machine_defaults(L"mirvox");
    const auto pos = app::instance_named_by(computer + L"\\pos", defaults.instances, computer);
    ASSERT_TRUE(pos);
    const app::SqlServerInstance& found = defaults.instances[*pos];
    EXPECT_EQ(found.view, RegistryView::bits32);
    EXPECT_EQ(found.service_name(), L"MSSQL$POS");
    EXPECT_EQ(found.tcp_enabled, 1u);
    EXPECT_EQ(found.tcp_port, L"1500");
    EXPECT_EQ(found.tcp_dynamic_ports, L"");
    EXPECT_EQ(found.tcp_ports_key, L"SOFTWARE\\Microsoft\\Microsoft SQL Server\\MSSQL12.POS\\MSSQLServer\\SuperSocketNetLib\\Tcp\\IPAll");
}

TEST(InstanceNamedBy, OnlyThisComputersInstancesByAnyOfTheirNames)
{
    std::vector<app::SqlServerInstance> instances(2);
    instances[0].name = L"MSSQLSERVER";
    instances[1].name = L"SQLEXPRESS";
    const struct {
        const wchar_t* server;
        std::optional<size_t> instance;
    } rows[] = {
        {L"SHOP01", 0},          {L"shop01\\sqlexpress", 1}, {L".\\SQLEXPRESS", 1},   {L"(local)", 0},
        {L"localhost,1433", 0},  {L"127.0.0.1,14330", 0},    {L"127.0.0.2\\SQLEXPRESS", 1},
        {L"tcp:SHOP01\\SQLEXPRESS,1433", 1},                {L"SHOP02", std::nullopt},
        {L"SHOP01\\OTHER", std::nullopt},                    {L"192.168.1.20", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(app::instance_named_by(row.server, instances, L"SHOP01"), row.instance) << std::wstring(row.server);
}

}  // namespace
