// Phase 11: the chosen store mode as the one Is_Distributed row.
#include "install/install_run.h"
#include "install/phases/phases.h"

#include "platform/odbc/transaction.h"
#include "install/server/statements.h"

namespace install {

PhaseEnd seed_store_mode(InstallRun& run)
{
    platform::Transaction& sqlca = run.context.sqlca;
    sqlca.execute_immediate(statements::delete_store_mode);
    // A failed delete must not be hidden by the insert: a leftover row would
    // make two Is_Distributed rows while the install reports success.
    bool seeded = sqlca.status_code() == platform::Transaction::success;
    if (seeded) {
        if (std::optional<StoreMode> mode = run.context.form.store_mode()) {
            sqlca.execute_immediate(statements::insert_store_mode(*mode));
            seeded = sqlca.status_code() == platform::Transaction::success;
        }
    }
    run.log.LogLine(L"设置连锁模式");
    if (!seeded)
        return InstallOutcome::statement_failed;
    return std::nullopt;
}

}  // namespace install
