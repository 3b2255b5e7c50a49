// How this SQL Server instance is set up: its name, its authentication mode
// and the Windows logins it holds, and how a session's connection came in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace emulator {

struct InstanceSettings {
    std::u16string instance_name;        // empty: the default instance
    bool windows_authentication_only = false;  // LoginMode 1: SQL Server logins are refused
    // Windows logins (DOMAIN\user), each a sysadmin. Windows, not SQL Server,
    // checks a Windows account's password, so the server keeps none.
    std::vector<std::u16string> windows_logins;
};

// The transport a session came in over, as sys.dm_exec_connections shows it.
// Empty addresses: a session without a network connection (the init script).
struct ConnectionInfo {
    std::u16string client_address;  // numeric, e.g. 127.0.0.1
    int32_t client_port = 0;
    std::u16string local_address;   // the server address the client reached
    int32_t local_port = 0;
    std::u16string auth_scheme;     // SQL or NTLM
};

}  // namespace emulator
