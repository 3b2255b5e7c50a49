// The safety backup: the old database written to a file before it is dropped.
#include "install/phases/old_database_steps.h"

#include "app/install_settings.h"
#include "install/install_run.h"
#include "install/recovery/change_record.h"
#include "install/server/progress.h"
#include "install/server/server_lookups.h"
#include "install/server/statements.h"
#include "platform/clock.h"
#include "platform/odbc/transaction.h"

namespace install {

using platform::Transaction;

PhaseEnd back_up_old_database(InstallRun& run)
{
    if (!run.context.take_safety_backup)
        return std::nullopt;
    Transaction& sqlca = run.context.sqlca;
    const std::wstring& database = run.context.settings.is_dbname;
    run.log.LogPhase(L"备份旧数据库...");
    // An earlier backup of the same second is never written over.
    const platform::LocalTime now = platform::local_time_now();
    std::wstring file;
    for (int nth = 1; file.empty(); ++nth) {
        const std::wstring candidate = statements::safety_backup_file(run.context.form.data_path(), database, now, nth);
        std::optional<FileExistence> found;
        if (!find_server_file(sqlca, candidate, found))
            return InstallOutcome::statement_failed;
        if (!found || (!found->file && !found->directory))
            file = candidate;
    }
    {
        const ServerProgress progress(sqlca, run.context.form);
        sqlca.execute_immediate(statements::safety_backup(database, file, run.server_version));
    }
    if (sqlca.status_code() != Transaction::success)
        return InstallOutcome::statement_failed;
    run.changes.safety_backup = file;
    if (!record_changes(run))
        return InstallOutcome::statement_failed;
    run.log.LogLine(L"旧数据库已备份到 " + file);
    return std::nullopt;
}

}  // namespace install
