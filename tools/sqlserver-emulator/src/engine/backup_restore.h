// BACKUP DATABASE and RESTORE DATABASE in the stand-in's own backup format,
// and the RESTORE forms that only read a backup.
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
// RESTORE HEADERONLY and FILELISTONLY: SQL Server's result set with every
// column SQL Server 2019 documents, NULL where the stand-in keeps no value.
Outcome run_backup_information(StatementContext& context, const BackupInformationStatement& information);
// What message 3013 calls the statement: RESTORE HEADERONLY or RESTORE FILELIST.
std::u16string information_operation(const BackupInformationStatement& information);

}  // namespace emulator
