// Phase 10: the application login, the reconnection under it, its default
// database and the switch to the new database.
#include "install/install_run.h"
#include "install/recovery/change_record.h"
#include "install/phases/phases.h"

#include "app/install_settings.h"
#include "platform/odbc/transaction.h"
#include "install/server/server_lookups.h"
#include "install/server/statements.h"
#include "install/wf_connect_db.h"

namespace install {

namespace {

// Each step of this phase fails on any non-zero status.
bool succeeded(const InstallRun& run)
{
    return run.context.sqlca.status_code() == platform::Transaction::success;
}

// A login of the application's name that outlived its database (an earlier
// failed run, a database removed by hand) would make the creation fail: it
// is replaced, and the rollback can make it again as it was.
bool drop_leftover_login(InstallRun& run)
{
    platform::Transaction& sqlca = run.context.sqlca;
    std::optional<LoginRecord> leftover;
    if (!find_login(sqlca, statements::application_login, run.server_version, leftover))
        return false;
    if (!leftover)
        return true;
    if (!record_login_drop(run, *leftover))
        return false;
    sqlca.execute_immediate(statements::drop_login(statements::application_login));
    return succeeded(run);
}

}  // namespace

PhaseEnd set_up_application_login(InstallRun& run)
{
    const app::InstallSettings& settings = run.context.settings;
    platform::Transaction& sqlca = run.context.sqlca;

    if (!drop_leftover_login(run))
        return InstallOutcome::statement_failed;
    run.changes.login_create_sent = true;
    if (!record_changes(run))
        return InstallOutcome::statement_failed;
    sqlca.execute_immediate(statements::add_application_login(settings.is_dbname, run.server_version));
    if (!succeeded(run))
        return InstallOutcome::statement_failed;
    sqlca.execute_immediate(statements::grant_sysadmin(statements::application_login));
    if (!succeeded(run))
        return InstallOutcome::statement_failed;

    sqlca.disconnect();
    // The connect's own message box has spoken; its status decides.
    wf_connect_db(run.context, run.log, settings.is_logid);
    if (!succeeded(run))
        return InstallOutcome::statement_failed;

    run.log.LogLine(L"创建系统用户信息...");
    sqlca.execute_immediate(statements::set_default_database(settings.is_logid, settings.is_dbname));
    if (!succeeded(run))
        return InstallOutcome::statement_failed;
    sqlca.execute_immediate(statements::use_database(settings.is_dbname));
    if (!succeeded(run))
        return InstallOutcome::statement_failed;
    return std::nullopt;
}

}  // namespace install
