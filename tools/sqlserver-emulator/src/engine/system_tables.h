// The system tables the stand-in answers: sysdatabases, sysprocesses,
// syslogins and sysaltfiles of the server, and sysfiles of each database.
#pragma once

#include "catalog.h"
#include "table_lookup.h"

#include <optional>

namespace emulator {

// The system table `name` as seen from `database`; nullopt when the name is
// not a system table.
std::optional<TableSnapshot> system_table(const Catalog& catalog, const Database& database,
                                          const std::u16string& name);

}  // namespace emulator
