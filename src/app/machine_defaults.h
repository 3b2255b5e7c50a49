// What the installer form shows before the operator types anything: the
// defaults taken from the machine (computer name, SQL Server's data root from
// the registry, the working directory) and the built-in administrator login.
#pragma once

#include <string>

namespace app {

struct MachineDefaults {
    std::wstring server_name;     // the computer name
    std::wstring data_path;       // SQL Server's data root (or "D:") followed by "\data"
    std::wstring template_file;   // working directory, "\", database name, ".dat"
    std::wstring admin_login;     // "sa"
    std::wstring admin_password;  // empty
    bool sql_server_found;        // SQL Server's DefaultDomain is present and not blank
};

// Reads the registry and the machine; `dbname` names the template file.
MachineDefaults machine_defaults(const std::wstring& dbname);

// The notice shown when this machine has no SQL Server.
extern const std::wstring sql_server_missing_title;
extern const std::wstring sql_server_missing_text;

}  // namespace app
