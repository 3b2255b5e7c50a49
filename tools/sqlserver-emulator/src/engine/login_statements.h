// CREATE LOGIN for SQL Server logins.
#pragma once

#include "statement_context.h"
#include "statements.h"

namespace emulator {

// Refuses a Windows login name and a language other than us_english as not
// supported, naming `statement_text`.
Outcome run_create_login(StatementContext& context, const CreateLoginStatement& create,
                         const std::u16string& statement_text);

}  // namespace emulator
