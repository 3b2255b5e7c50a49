// BACKUP DATABASE and RESTORE DATABASE in the stand-in's own backup format.
#pragma once

#include "statement_context.h"
#include "statements.h"

namespace emulator {

// Streams the data file without holding the engine lock, spreading
// context.delay over its progress messages. Appending to an existing backup
// (no INIT) is not supported, naming `statement_text`.
Outcome run_backup(StatementContext& context, const BackupStatement& backup, const std::u16string& statement_text);
// Copies files without holding the engine lock; spreads context.delay over
// its progress messages and stops early on attention.
Outcome run_restore(StatementContext& context, const RestoreStatement& restore);

}  // namespace emulator
