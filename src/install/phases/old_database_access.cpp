// Between the check code and the drop, the old database is the installer's
// alone: what a till wrote after the safety backup would be lost with the drop.
#include "install/phases/old_database_steps.h"

#include "app/install_settings.h"
#include "install/install_run.h"
#include "install/recovery/change_record.h"
#include "install/server/statements.h"
#include "platform/odbc/transaction.h"

namespace install {

PhaseEnd keep_others_out_of_old_database(InstallRun& run)
{
    // sys.databases came with SQL Server 2005; an older server's sessions are left to the drop.
    if (run.server_version.major < 9)
        return std::nullopt;
    platform::Transaction& sqlca = run.context.sqlca;
    const std::wstring& database = run.context.settings.is_dbname;
    platform::QueryResult state;
    sqlca.select_rows(statements::database_state_query, {database}, state);
    if (sqlca.status_code() == platform::Transaction::failure)
        return InstallOutcome::statement_failed;
    if (state.rows.empty() || state.rows[0].size() < 2)
        return std::nullopt;
    run.changes.old_access_mode = state.rows[0][1].value_or(L"MULTI_USER");
    if (!record_changes(run))
        return InstallOutcome::statement_failed;
    sqlca.execute_immediate(statements::keep_others_out(database));
    if (sqlca.status_code() != platform::Transaction::success)
        return InstallOutcome::statement_failed;
    run.log.LogLine(L"旧数据库的其他连接已断开，删除以前只有安装程序能使用它。");
    return std::nullopt;
}

}  // namespace install
