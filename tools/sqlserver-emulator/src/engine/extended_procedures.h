// The extended stored procedures the installer calls to look at the server's
// disks: xp_fileexist and xp_fixeddrives.
#pragma once

#include "statement_context.h"
#include "statements.h"

#include <optional>

namespace emulator {

// Runs the procedure when it is one of these; nullopt otherwise.
std::optional<Outcome> run_extended_procedure(StatementContext& context, const ExecStatement& exec,
                                              const std::u16string& statement_text);

}  // namespace emulator
