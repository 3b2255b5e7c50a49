// Procedure dispatch.
#include "procedures.h"

#include "extended_procedures.h"
#include "login_procedures.h"
#include "messages.h"

namespace emulator {

Outcome run_procedure(StatementContext& context, const ExecStatement& exec, const std::u16string& statement_text) {
    if (auto outcome = run_login_procedure(context, exec, statement_text)) return *outcome;
    if (auto outcome = run_extended_procedure(context, exec, statement_text)) return *outcome;
    fail(not_supported(statement_text));
}

}  // namespace emulator
