// The test service's own configuration, given on its command line (the
// service's ImagePath): which instance it plays and how the stand-in runs.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sql_service {

struct ServiceOptions {
    // Browser mode: a do-nothing service that stands for SQLBrowser.
    bool browser_service = false;
    std::wstring instance_name;  // MSSQLSERVER for the default instance
    // Host (Linux) paths, handed to the stand-in as they are.
    std::wstring emulator;       // the sqlserver-emulator program
    std::wstring state_folder;
    std::wstring drive_c;        // the folder the server's C: is
    std::wstring sa_password;
    std::vector<std::wstring> windows_logins;     // DOMAIN\user
    std::vector<std::wstring> listen_addresses;   // loopback; the first is the instance's
    std::wstring browser_address;                 // empty: no Browser answers
    std::vector<std::wstring> emulator_options;   // passed on as they are
};

// The options, or the reason the command line is refused.
std::optional<ServiceOptions> parse_service_options(const std::vector<std::wstring>& arguments, std::wstring& reason);

}  // namespace sql_service
