// Phase 9: the template restored over the new database, from where the pre-flight read it.
#include "install/install_run.h"
#include "install/phases/phases.h"

#include "app/install_settings.h"
#include "platform/odbc/transaction.h"
#include "install/server/progress.h"
#include "install/server/statements.h"

namespace install {

PhaseEnd restore_template(InstallRun& run)
{
    run.context.form.set_status_text(L"装载系统模板数据库...");
    {
        const ServerProgress progress(run.context.sqlca, run.context.form);
        run.context.sqlca.execute_immediate(statements::restore_database(run.context.settings.is_dbname,
                                                                         run.restore_source, run.context.form.data_path()));
    }
    if (run.context.sqlca.status_code() != platform::Transaction::success)
        return InstallOutcome::statement_failed;
    return std::nullopt;
}

}  // namespace install
