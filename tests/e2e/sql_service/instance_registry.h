// An instance's settings as SQL Server reads them at start-up from the
// registry's 64-bit view, and the dynamic port it writes back.
#pragma once

#include <optional>
#include <string>

namespace sql_service {

struct InstanceSettings {
    std::wstring instance_id;          // e.g. MSSQL16.SQLEXPRESS
    bool windows_authentication_only;  // LoginMode 1 (2: mixed)
    bool tcp_enabled;                  // SuperSocketNetLib\Tcp Enabled
    std::wstring static_port;          // IPAll TcpPort; empty: a dynamic port
    std::wstring dynamic_port;         // IPAll TcpDynamicPorts: "0", "" or the port last used
};

// The settings of `instance_name`, or nullopt with the reason when its keys
// are missing (Instance Names\SQL names no such instance).
std::optional<InstanceSettings> read_instance_settings(const std::wstring& instance_name, std::wstring& reason);

// Writes the port the instance got into IPAll TcpDynamicPorts, as SQL Server
// does for a dynamic port. False with the reason when it cannot.
bool write_dynamic_port(const std::wstring& instance_id, unsigned port, std::wstring& reason);

}  // namespace sql_service
