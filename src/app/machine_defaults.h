// What the installer form shows before the operator types anything: the
// defaults taken from the machine (SQL Server's instances and their data
// roots from the registry, the computer name, the working directory) and
// the built-in administrator login.
#pragma once

#include "sql_server_instances.h"

#include <optional>
#include <string>
#include <vector>

namespace app {

struct MachineDefaults {
    std::wstring server_name;     // the chosen instance as server_field_text gives it; the computer name without one
    std::wstring data_path;       // the chosen instance's data root, else SQL Server 2000's, else "D:"; then "\data"
    std::wstring template_file;   // working directory, "\", database name, ".dat"
    std::wstring admin_login;     // "sa"
    std::wstring admin_password;  // empty
    bool windows_authentication;  // the chosen instance accepts Windows authentication only
    bool sql_server_found;        // at least one instance is registered
    std::vector<SqlServerInstance> instances;  // what the server field offers
    std::optional<size_t> chosen;              // preferred_instance
};

// Reads the registry and the machine; `dbname` names the template file.
MachineDefaults machine_defaults(const std::wstring& dbname);

// The data path for an instance the operator chose: its data root ("D:"
// when it has none), followed by "\data". Not normalised: a root that ends
// in a backslash gives a doubled one.
std::wstring data_path_of(const SqlServerInstance* instance);

// The notice shown when this machine has no SQL Server.
extern const std::wstring sql_server_missing_title;
extern const std::wstring sql_server_missing_text;

}  // namespace app
