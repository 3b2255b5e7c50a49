// The system procedures for logins: sp_addlogin, sp_droplogin,
// sp_addsrvrolemember, sp_dropsrvrolemember and sp_defaultdb.
#pragma once

#include "statement_context.h"
#include "statements.h"

#include <optional>

namespace emulator {

// Runs the procedure when it is one of these; nullopt otherwise.
std::optional<Outcome> run_login_procedure(StatementContext& context, const ExecStatement& exec,
                                           const std::u16string& statement_text);

}  // namespace emulator
