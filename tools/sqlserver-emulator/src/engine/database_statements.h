// CREATE DATABASE and DROP DATABASE with their files.
#pragma once

#include "statement_context.h"
#include "statements.h"

namespace emulator {

Outcome run_create_database(StatementContext& context, const CreateDatabaseStatement& create);
Outcome run_drop_database(StatementContext& context, const DropDatabaseStatement& drop);

}  // namespace emulator
