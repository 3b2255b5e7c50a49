// The dynamic management views the stand-in answers: sys.dm_exec_connections.
#pragma once

#include "statement_context.h"
#include "table_lookup.h"

#include <optional>

namespace emulator {

// The view `name` as the session may see it; nullopt when the name is not a
// dynamic management view. Throws StatementError (300, then 297) for a login
// without VIEW SERVER STATE, which only sysadmin members hold here.
std::optional<TableSnapshot> dynamic_view(StatementContext& context, const std::u16string& name);

}  // namespace emulator
