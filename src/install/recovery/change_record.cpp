// The run's record, written from the run.
#include "install/recovery/change_record.h"

#include "app/install_settings.h"
#include "install/install_run.h"
#include "install/record/run_journal.h"
#include "install/recovery/run_record.h"
#include "install/run_interruption.h"

namespace install {

bool record_login_drop(InstallRun& run, const LoginRecord& login)
{
    run.changes.dropped_logins.push_back(login);
    return record_changes(run);
}

bool record_changes(InstallRun& run)
{
    if (run.changes.any() && !begin_changes()) {
        run.failure_cause = FailureCause{0, L"安装已按要求停止。"};
        return false;
    }
    const RunRecord record{run.context.form.server_name(), run.context.settings.is_dbname, run.server_version,
                           run.old_database_files, run.changes, run.restore_source, run.template_staged};
    const platform::Outcome written = write_run_record(record);
    if (!written.succeeded) {
        run.failure_cause = FailureCause{0, L"不能写入安装记录 " + run_record_file() + L"：" + written.system_message};
        return false;
    }
    run.record_kept = true;
    return true;
}

}  // namespace install
