// Seeding and removing SQL Server's registry keys.
#include "sql_server_keys.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace test_support {

namespace {

const std::wstring instance_names_key = L"SOFTWARE\\Microsoft\\Microsoft SQL Server\\Instance Names\\SQL";

void remove_tree(REGSAM view, const wchar_t* parent, const wchar_t* subkey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, parent, 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return;
    RegDeleteTreeW(key, subkey);
    RegCloseKey(key);
}

}  // namespace

void remove_sql_server_keys()
{
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        remove_tree(view, L"SOFTWARE\\Microsoft", L"Microsoft SQL Server");
        remove_tree(view, L"SOFTWARE\\Microsoft\\MSSQLServer", L"MSSQLServer");
        remove_tree(view, L"SOFTWARE\\Microsoft\\MSSQLServer", L"Setup");
    }
}

void write_value(platform::RegistryView view, const std::wstring& key, const std::wstring& name,
                 const std::wstring& value)
{
    if (value.empty()) return;
    ASSERT_TRUE(platform::write_machine_string(view, key, name, value).succeeded);
}

void register_instance(const Instance& instance)
{
    const std::wstring root = L"SOFTWARE\\Microsoft\\Microsoft SQL Server\\" + instance.id;
    write_value(instance.view, instance_names_key, instance.name, instance.id);
    write_value(instance.view, root + L"\\Setup", L"SQLDataRoot", instance.data_root);
    ASSERT_TRUE(platform::write_machine_dword(instance.view, root + L"\\MSSQLServer", L"LoginMode", instance.login_mode)
                    .succeeded);
    const std::wstring tcp = root + L"\\MSSQLServer\\SuperSocketNetLib\\Tcp";
    ASSERT_TRUE(platform::write_machine_dword(instance.view, tcp, L"Enabled", instance.tcp_enabled).succeeded);
    ASSERT_TRUE(platform::write_machine_string(instance.view, tcp + L"\\IPAll", L"TcpPort", instance.tcp_port).succeeded);
    ASSERT_TRUE(platform::write_machine_string(instance.view, tcp + L"\\IPAll", L"TcpDynamicPorts",
                                               instance.tcp_dynamic_ports)
                    .succeeded);
}

}  // namespace test_support
