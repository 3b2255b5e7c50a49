// Phases 4 and 5: an old database looked for and, when found, its
// replacement confirmed by the operator; then the steps that replace it.
#include "install/install_run.h"
#include "install/phases/old_database_steps.h"

#include "app/install_settings.h"
#include "install/server/statements.h"
#include "platform/odbc/transaction.h"

namespace install {

using platform::Transaction;

PhaseEnd replace_old_database(InstallRun& run)
{
    const app::InstallSettings& settings = run.context.settings;
    Transaction& sqlca = run.context.sqlca;

    run.log.LogPhase(L"检测旧数据库及相关信息...");
    std::wstring found_name;
    sqlca.select_single(statements::old_database_query, {settings.is_dbname}, found_name);
    if (sqlca.status_code() == Transaction::failure)
        return InstallOutcome::statement_failed;
    run.old_database_found = sqlca.status_code() == Transaction::success;
    if (!*run.old_database_found)
        return std::nullopt;

    const std::wstring answer = run.context.form.confirm_reinstall();
    run.context.form.set_pointer(platform::MousePointer::busy);
    if (answer != L"1") {
        sqlca.disconnect();
        return stop_install(run, InstallOutcome::declined);
    }

    for (auto phase : {check_old_database_unused, keep_others_out_of_old_database, back_up_old_database,
                       drop_old_database_and_login}) {
        if (PhaseEnd end = phase(run))
            return end;
    }
    return std::nullopt;
}

}  // namespace install
