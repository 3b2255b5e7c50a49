// EXEC of a procedure: the login procedures and the extended procedures the
// stand-in implements; any other is not supported.
#pragma once

#include "statement_context.h"
#include "statements.h"

namespace emulator {

Outcome run_procedure(StatementContext& context, const ExecStatement& exec, const std::u16string& statement_text);

}  // namespace emulator
