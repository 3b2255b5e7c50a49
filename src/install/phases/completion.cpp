// Phase 12: the successful end, with the client alias for the local server.
#include "install/install_run.h"
#include "install/phases/phases.h"
#include "install/preflight/staging.h"

#include "app/install_settings.h"
#include "install/phases/detection_key.h"

#include "platform/odbc/transaction.h"
#include "platform/prompts.h"
#include "platform/registry.h"
#include "install/record/run_journal.h"

namespace install {

PhaseEnd complete_install(InstallRun& run)
{
    run.context.sqlca.disconnect();
    run.log.LogPhase(L"安装新数据库成功！");
    // The installed system (a 32-bit program) reaches its server by the alias
    // in the 32-bit view. A refused write is not the install's failure, but
    // the operator must hear of it: the system would not find its server.
    const platform::Outcome alias = platform::write_machine_string(
        platform::RegistryView::bits32, L"SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo", L"mirvox",
        L"DBMSSOCN,127.0.0.1,1433");
    run.report.alias_written = alias.succeeded;
    std::wstring success = L"安装新数据库成功！";
    if (!alias.succeeded) {
        if (run.context.journal)
            run.context.journal->note(L"the client alias mirvox could not be written: " + alias.system_message);
        success += L"\r\n但是不能在注册表中写入 SQL Server 客户端别名 mirvox：" + alias.system_message +
                   L"\r\n应用系统要靠这个别名找到数据库服务器：请以管理员身份运行本程序再安装一次，"
                   L"或请技术支持添加这个别名。";
    }
    // Only a completed install leaves the key that says this computer has the database.
    const platform::Outcome key = write_detection_key(
        {run.context.settings.is_dbname, run.context.form.server_name(),
         run.context.form.store_mode().value_or(StoreMode::single_store)});
    run.report.detection_key_written = key.succeeded;
    if (!key.succeeded && run.context.journal)
        run.context.journal->note(L"the detection key " + detection_key + L" could not be written: " +
                                  key.system_message);
    remove_staged_template(run);
    run.context.form.set_pointer(platform::MousePointer::arrow);
    run.context.form.set_install_enabled(false);
    run.context.prompts.message_box(run.context.app_name, success);
    return InstallOutcome::completed;
}

}  // namespace install
