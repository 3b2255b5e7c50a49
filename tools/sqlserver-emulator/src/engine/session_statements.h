// Statements that change the session: USE and SET.
#pragma once

#include "statement_context.h"
#include "statements.h"

namespace emulator {

Outcome run_use(StatementContext& context, const UseStatement& use);
Outcome run_set(StatementContext& context, const SetStatement& set);

}  // namespace emulator
