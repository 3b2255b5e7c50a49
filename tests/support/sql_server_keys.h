// SQL Server's registry keys as each version writes them, seeded into the
// real registry of the throw-away prefix, and removed again.
#pragma once

#include "platform/registry.h"

#include <cstdint>
#include <string>

namespace test_support {

// Every key the seeding functions write, in both views: SQL Server 2000's
// MSSQLServer\MSSQLServer and \Setup, and a current SQL Server's Microsoft
// SQL Server tree (the client aliases under MSSQLServer\Client stay).
void remove_sql_server_keys();

// Writes the REG_SZ value under HKLM; an empty value is left unwritten, as
// a key that lacks it.
void write_value(platform::RegistryView view, const std::wstring& key, const std::wstring& name,
                 const std::wstring& value);

// An instance as a current SQL Server registers it, with its settings.
struct Instance {
    platform::RegistryView view;
    std::wstring name;  // under Instance Names\SQL, e.g. "SQLEXPRESS"
    std::wstring id;    // its own key, e.g. "MSSQL16.SQLEXPRESS"
    std::wstring data_root;
    uint32_t login_mode = 2;
    uint32_t tcp_enabled = 1;
    std::wstring tcp_port;
    std::wstring tcp_dynamic_ports = L"0";
};

void register_instance(const Instance& instance);

}  // namespace test_support
