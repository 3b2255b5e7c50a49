// What the installer form shows before the operator types anything: the
// defaults taken from the machine (computer name, SQL Server's data root from
// the registry, the working directory) and the built-in administrator login.
// SQL Server is looked up by SQL Server 2000's keys (MSSQLServer\MSSQLServer
// DefaultDomain, MSSQLServer\Setup SQLDataRoot, 32-bit view) and then by the
// default instance's current ones (Microsoft SQL Server\Instance Names\SQL
// MSSQLSERVER, and that instance's Setup SQLDataRoot; 64-bit view, then
// 32-bit).
#pragma once

#include <string>

namespace app {

struct MachineDefaults {
    std::wstring server_name;     // the computer name
    std::wstring data_path;       // the old data root, else the instance's, else "D:"; then "\data"
    std::wstring template_file;   // working directory, "\", database name, ".dat"
    std::wstring admin_login;     // "sa"
    std::wstring admin_password;  // empty
    bool sql_server_found;        // DefaultDomain is not blank, or the default instance is registered
};

// Reads the registry and the machine; `dbname` names the template file.
MachineDefaults machine_defaults(const std::wstring& dbname);

// The notice shown when this machine has no SQL Server.
extern const std::wstring sql_server_missing_title;
extern const std::wstring sql_server_missing_text;

}  // namespace app
