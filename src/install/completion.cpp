// Phase 12: the successful end, with the client alias for the local server.
#include "install_run.h"

#include "platform/odbc/transaction.h"
#include "platform/prompts.h"
#include "platform/registry.h"

namespace install {

InstallOutcome complete_install(InstallRun& run)
{
    run.context.sqlca.disconnect();
    run.log.LogPhase(L"安装新数据库成功！");
    // The installed system reaches its server by the alias; a refused write
    // is not the install's failure.
    platform::write_machine_string(L"SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo", L"mirvox",
                                   L"DBMSSOCN,127.0.0.1,1433");
    remove_staged_template(run);
    run.context.form.set_pointer(platform::MousePointer::arrow);
    run.context.form.set_install_enabled(false);
    run.context.prompts.message_box(run.context.app_name, L"安装新数据库成功！");
    return InstallOutcome::completed;
}

}  // namespace install
