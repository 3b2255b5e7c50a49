// The catalog views of the sys schema the stand-in answers: sys.sql_logins,
// sys.server_principals, sys.server_role_members, sys.databases and each
// database's sys.database_principals. SQL Server 2000 has none of them.
#pragma once

#include "catalog.h"
#include "server_identity.h"
#include "table_lookup.h"

#include <optional>

namespace emulator {

// The catalog view sys.`name` as seen from `database` on a server of
// `server`; nullopt when there is no such view.
std::optional<TableSnapshot> catalog_view(const Catalog& catalog, const Database& database,
                                          const ServerVersion& server, const std::u16string& name);

}  // namespace emulator
