// ALTER DATABASE ... SET SINGLE_USER | MULTI_USER with its termination clause.
#pragma once

#include "statement_context.h"
#include "statements.h"

namespace emulator {

// Waits for the other sessions in the database without holding the engine
// lock, as long as the clause says, and stops early on attention.
Outcome run_alter_database(StatementContext& context, const AlterDatabaseStatement& alter);

}  // namespace emulator
