// Phase 12: the successful end, once the tills have logged in.
#include "install/install_run.h"
#include "install/phases/phases.h"

#include "app/install_settings.h"
#include "install/phases/detection_key.h"
#include "install/preflight/staging.h"
#include "install/record/run_journal.h"
#include "platform/prompts.h"

namespace install {

PhaseEnd complete_install(InstallRun& run)
{
    run.log.LogPhase(L"安装新数据库成功！");
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
    run.context.prompts.message_box(run.context.app_name, L"安装新数据库成功！");
    return InstallOutcome::completed;
}

}  // namespace install
