// Phase 9: the template copied to the staging file and restored over the
// new database.
#include "install_run.h"

#include "app/install_settings.h"
#include "platform/files.h"
#include "platform/odbc/transaction.h"
#include "platform/prompts.h"
#include "statements.h"

namespace install {

void remove_staging_file(const std::wstring& staging_path)
{
    // A leftover may be read-only; its attributes go first so the delete can work.
    if (platform::file_exists(staging_path)) {
        platform::set_file_attributes(staging_path, 0);
        platform::delete_file(staging_path);
    }
}

PhaseEnd restore_template(InstallRun& run)
{
    InstallForm& form = run.context.form;
    run.log.LogPhase(L"安装系统信息...");
    remove_staging_file(run.staging_path);
    if (!platform::copy_file(form.template_file(), run.staging_path, false)) {
        run.context.prompts.message_box(run.context.app_name, L"不能写文件到磁盘。");
        return fail_install(run);
    }

    form.set_status_text(L"装载系统模板数据库...");
    run.context.sqlca.execute_immediate(
        statements::restore_database(run.context.settings.is_dbname, run.staging_path, form.data_path()));
    if (run.context.sqlca.status_code() != platform::Transaction::success)
        return fail_install(run);
    return std::nullopt;
}

}  // namespace install
