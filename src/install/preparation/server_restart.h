// Restarting a SQL Server instance's service, so that it takes its changed
// settings: the services that depend on it stopped first and started again
// after it, each step logged.
#pragma once

#include <optional>
#include <string>

namespace install {

struct InstallRun;

// Closes SQLCA (the restart ends every session), stops and starts `service`
// through the Service Control Manager, and starts again the dependents that
// were running. The system's reason when the service itself could not be
// stopped or started; a dependent that does not start again is logged only.
std::optional<std::wstring> restart_sql_server(InstallRun& run, const std::wstring& service);

}  // namespace install
