// Phases 2 and 3: the run announced, and the administrator's connection.
#include "install/install_run.h"
#include "install/phases/phases.h"

#include "install/server/connection_errors.h"
#include "install/wf_connect_db.h"
#include "platform/odbc/transaction.h"

namespace install {

PhaseEnd connect_as_administrator(InstallRun& run)
{
    run.log.LogPhase(L"开始安装系统数据库...");
    run.log.LogPhase(L"正在连接数据库服务器...");
    // wf_connect_db has shown its own message; there is nothing to close.
    if (!wf_connect_db(run.context, run.log, run.context.form.admin_login())) {
        run.report.error_number = run.context.sqlca.error_number();
        run.report.error_text = run.context.sqlca.error_text();
        // A refused login is told apart: retrying it cannot help, and could lock the account out.
        return stop_install(run, is_login_refusal(run.report.error_number) ? InstallOutcome::login_refused
                                                                           : InstallOutcome::connection_failed);
    }
    return std::nullopt;
}

}  // namespace install
