// CREATE DATABASE, ALTER DATABASE ... MODIFY FILE and DROP DATABASE with
// their files.
#pragma once

#include "statement_context.h"
#include "statements.h"

namespace emulator {

Outcome run_create_database(StatementContext& context, const CreateDatabaseStatement& create);
Outcome run_drop_database(StatementContext& context, const DropDatabaseStatement& drop);
// Grows a file to a larger SIZE; Express refuses growth past its limit (1827).
Outcome run_modify_file(StatementContext& context, const ModifyFileStatement& modify);

}  // namespace emulator
