// Phase 7: the old database and its login dropped.
#include "install/phases/old_database_steps.h"

#include "app/install_settings.h"
#include "install/install_run.h"
#include "install/recovery/change_record.h"
#include "install/server/server_lookups.h"
#include "install/server/statements.h"
#include "platform/odbc/transaction.h"

namespace install {

namespace {

using platform::Transaction;

// The drops' failure: the server's text on the status line, then the failure path.
InstallOutcome fail_drop(InstallRun& run)
{
    run.context.form.set_status_text(L"删除旧数据库及相关信息失败！" + run.context.sqlca.error_text());
    return InstallOutcome::statement_failed;
}

// The drops fail on -1 only; any other status counts as done.
bool drop_old(InstallRun& run, const std::wstring& statement)
{
    run.context.sqlca.execute_immediate(statement);
    return run.context.sqlca.status_code() != Transaction::failure;
}

}  // namespace

PhaseEnd drop_old_database_and_login(InstallRun& run)
{
    const app::InstallSettings& settings = run.context.settings;
    run.log.LogPhase(L"删除旧数据库及相关信息...");
    run.changes.old_database_drop_sent = true;
    if (!record_changes(run))
        return InstallOutcome::statement_failed;
    if (!drop_old(run, statements::drop_database(settings.is_dbname)))
        return fail_drop(run);

    // An old database restored by hand, or left by a failed run, may have no
    // login: there is nothing to drop then.
    std::optional<LoginRecord> login;
    if (!find_login(run.context.sqlca, settings.is_logid, run.server_version, login))
        return fail_drop(run);
    if (!login)
        return std::nullopt;
    if (!record_login_drop(run, *login))
        return InstallOutcome::statement_failed;
    if (!drop_old(run, statements::drop_login(settings.is_logid)))
        return fail_drop(run);
    return std::nullopt;
}

}  // namespace install
