// Phase 8: the new, empty database with its two files in the data path.
#include "install/install_run.h"
#include "install/recovery/change_record.h"
#include "install/phases/phases.h"

#include "app/install_settings.h"
#include "platform/odbc/transaction.h"
#include "install/server/statements.h"

namespace install {

PhaseEnd create_new_database(InstallRun& run)
{
    run.log.LogPhase(L"开始创建新数据库...");
    run.changes.database_create_sent = true;
    if (!record_changes(run))
        return InstallOutcome::statement_failed;
    run.context.sqlca.execute_immediate(
        statements::create_database(run.context.settings.is_dbname, run.context.form.data_path()));
    if (run.context.sqlca.status_code() != platform::Transaction::success)
        return InstallOutcome::statement_failed;
    return std::nullopt;
}

}  // namespace install
