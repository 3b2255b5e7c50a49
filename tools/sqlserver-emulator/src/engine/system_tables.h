// The system tables the stand-in answers: sysdatabases, sysprocesses,
// syslogins and sysaltfiles of the server, sysfiles of each database and
// msdb's sysjobs.
#pragma once

#include "catalog.h"
#include "server_identity.h"
#include "table_lookup.h"

#include <optional>

namespace emulator {

// The system table `name` as seen from `database` on a server of `server`;
// nullopt when the name is not a system table.
std::optional<TableSnapshot> system_table(const Catalog& catalog, const Database& database,
                                          const ServerVersion& server, const std::u16string& name);

}  // namespace emulator
