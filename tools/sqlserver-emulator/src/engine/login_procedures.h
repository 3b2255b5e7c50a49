// The system procedures for logins: sp_addlogin, sp_droplogin,
// sp_addsrvrolemember and sp_defaultdb.
#pragma once

#include "statement_context.h"
#include "statements.h"

namespace emulator {

// Runs the procedure; an unknown procedure is not supported.
Outcome run_procedure(StatementContext& context, const ExecStatement& exec, const std::u16string& statement_text);

}  // namespace emulator
