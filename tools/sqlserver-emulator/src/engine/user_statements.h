// CREATE USER and DROP USER in the session's current database.
#pragma once

#include "statement_context.h"
#include "statements.h"

namespace emulator {

Outcome run_create_user(StatementContext& context, const CreateUserStatement& create);
Outcome run_drop_user(StatementContext& context, const DropUserStatement& drop);

}  // namespace emulator
