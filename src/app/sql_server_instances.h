// The SQL Server instances this computer has, as their registry keys tell:
// every instance a current SQL Server lists under Instance Names\SQL, in the
// 64-bit view and then the 32-bit view (a 32-bit Express on 64-bit Windows
// registers there), and SQL Server 2000's default instance by its own keys
// (MSSQLServer\MSSQLServer DefaultDomain, 32-bit view). For each, where its
// own settings live, and what they say: the data root, the authentication
// mode, TCP/IP and its ports.
#pragma once

#include "platform/registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace app {

struct SqlServerInstance {
    std::wstring name;  // "MSSQLSERVER" for the default instance, else the instance's own, e.g. "SQLEXPRESS"
    platform::RegistryView view = platform::RegistryView::bits64;
    // Keys under HKLM: the server's settings (LoginMode), the TCP/IP
    // protocol (Enabled) and where its ports are kept (TcpPort,
    // TcpDynamicPorts: IPAll on current versions).
    std::wstring server_key;
    std::wstring tcp_key;
    std::wstring tcp_ports_key;
    std::optional<std::wstring> data_root;  // SQLDataRoot, only when it names a drive
    std::optional<uint32_t> login_mode;     // 1 Windows authentication only, 2 mixed
    std::optional<uint32_t> tcp_enabled;    // 0 or 1; unknown for SQL Server 2000
    std::wstring tcp_port;                  // a fixed port, "" when none is set
    std::wstring tcp_dynamic_ports;         // "0" or the port the server last took; "" when none

    bool is_default() const { return name == L"MSSQLSERVER"; }
    // The Windows service that runs it: MSSQLSERVER, or MSSQL$<name>.
    std::wstring service_name() const;
};

inline constexpr uint32_t windows_authentication_only = 1;
inline constexpr uint32_t mixed_authentication = 2;

// Every instance, each name once: where both views list a name, the 64-bit
// one, with a data root from the other when it has none. SQL Server 2000's
// default instance comes first and wins over a current one of that name.
std::vector<SqlServerInstance> find_sql_server_instances();

// SQL Server 2000's data root (MSSQLServer\Setup SQLDataRoot, 32-bit view)
// when it names a drive, read whether or not its DefaultDomain is there.
std::optional<std::wstring> sql2000_data_root();

// The instance the server field names by default: the default instance,
// else SQLEXPRESS, else the first; nullopt when there is none.
std::optional<size_t> preferred_instance(const std::vector<SqlServerInstance>& instances);

// What the server field shows for an instance of this computer: the
// computer's name, followed by "\<instance>" for a named one.
std::wstring server_field_text(const SqlServerInstance& instance, const std::wstring& computer);

// The instance of this computer that a server text names ("SHOP01",
// "SHOP01\SQLEXPRESS", ".\SQLEXPRESS", "(local)", "localhost", "127.0.0.1,1433",
// "tcp:SHOP01\SQLEXPRESS,1433"): its host must be this computer or a loopback
// address; no instance part names the default instance. nullopt when the
// text names another computer or an instance that is not listed.
std::optional<size_t> instance_named_by(const std::wstring& server, const std::vector<SqlServerInstance>& instances,
                                        const std::wstring& computer);

}  // namespace app
