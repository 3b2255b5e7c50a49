// The two ends that are not a completion: the failure path and the early stops.
#include "install_run.h"

#include "platform/mouse_pointer.h"
#include "platform/prompts.h"
#include "platform/odbc/transaction.h"

namespace install {

InstallOutcome fail_install(InstallRun& run)
{
    InstallForm& form = run.context.form;
    const std::wstring error_text = run.context.sqlca.error_text();
    form.set_status_text(form.status_text() + L"    安装失败:" + error_text);
    run.log.log_status_line();
    run.log.LogLine(error_text);
    run.context.sqlca.disconnect();
    run.context.prompts.message_box(L"警告", L"安装新数据库失败。");
    platform::set_mouse_pointer(platform::MousePointer::arrow);
    return InstallOutcome::statement_failed;
}

InstallOutcome stop_install(InstallOutcome outcome)
{
    platform::set_mouse_pointer(platform::MousePointer::arrow);
    return outcome;
}

}  // namespace install
