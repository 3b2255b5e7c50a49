// Phase 10: the application login, the reconnection under it, its default
// database and the switch to the new database.
#include "install_run.h"

#include "app/install_settings.h"
#include "platform/odbc/transaction.h"
#include "statements.h"
#include "wf_connect_db.h"

namespace install {

namespace {

// Each step of this phase fails on any non-zero status.
bool succeeded(const InstallRun& run)
{
    return run.context.sqlca.status_code() == platform::Transaction::success;
}

}  // namespace

PhaseEnd set_up_application_login(InstallRun& run)
{
    const app::InstallSettings& settings = run.context.settings;
    platform::Transaction& sqlca = run.context.sqlca;

    sqlca.execute_immediate(statements::add_application_login(settings.is_dbname));
    if (!succeeded(run))
        return fail_install(run);
    sqlca.execute_immediate(statements::grant_sysadmin);
    if (!succeeded(run))
        return fail_install(run);

    sqlca.disconnect();
    // The connect's own message box has spoken; its status decides.
    wf_connect_db(run.context, run.log, settings.is_logid);
    if (!succeeded(run))
        return fail_install(run);

    run.log.LogLine(L"创建系统用户信息...");
    sqlca.execute_immediate(statements::set_default_database(settings.is_logid, settings.is_dbname));
    if (!succeeded(run))
        return fail_install(run);
    sqlca.execute_immediate(statements::use_database(settings.is_dbname));
    if (!succeeded(run))
        return fail_install(run);
    return std::nullopt;
}

}  // namespace install
