// The failure path with its rollback.
#include "install/recovery/failure_path.h"

#include "install/install_run.h"
#include "install/preflight/staging.h"
#include "install/recovery/rollback.h"
#include "platform/clock.h"
#include "platform/odbc/transaction.h"
#include "platform/prompts.h"

namespace install {

namespace {

using Result = RollbackReport::Result;
using OldDatabase = RollbackReport::OldDatabase;

// What the status line adds to the failure once the rollback has run.
std::wstring rollback_status(const RollbackReport& rollback)
{
    switch (rollback.result) {
    case Result::nothing_to_undo: return L"";
    case Result::failed: return L"    恢复安装前的状态失败:" + rollback.error;
    case Result::undone: break;
    }
    return rollback.old_database == OldDatabase::restored ? L"    原数据库已恢复。" : L"    已撤销本次安装的更改。";
}

std::wstring failure_message(const InstallRun& run, const RollbackReport& rollback)
{
    std::wstring text = L"安装新数据库失败。";
    switch (rollback.result) {
    case Result::nothing_to_undo: break;
    case Result::undone:
        text += rollback.old_database == OldDatabase::restored
                    ? L"\r\n原数据库已从安全备份恢复，数据库服务器回到了安装前的状态。"
                    : L"\r\n本次安装在数据库服务器上所做的更改已经撤销。";
        break;
    case Result::failed: text += L"\r\n恢复安装前的状态时出错：" + rollback.error; break;
    }
    for (const std::wstring& difference : rollback.differences)
        text += L"\r\n" + difference;
    // Once the store's data has a safety backup, the operator always hears where it is.
    if (rollback.old_database == OldDatabase::missing && run.changes.safety_backup)
        return text + L"\r\n原数据库没有恢复。它的安全备份在数据库服务器上：" + *run.changes.safety_backup +
               L"\r\n请用它还原原数据库，或与技术支持联系。";
    if (run.changes.safety_backup)
        text += L"\r\n原数据库的安全备份保留在数据库服务器上：" + *run.changes.safety_backup;
    if (rollback.result == Result::failed)
        text += L"\r\n请与技术支持联系。";
    return text;
}

}  // namespace

InstallOutcome fail_install(InstallRun& run, const FailureCause& cause)
{
    InstallForm& form = run.context.form;
    const std::wstring failure_status = form.status_text() + L"    安装失败:" + cause.error_text;
    form.set_status_text(failure_status);
    run.log.log_status_line();
    run.log.LogLine(cause.error_text);
    run.report.error_number = cause.error_number;
    run.report.error_text = cause.error_text;
    // The rollback counts as a phase of its own, after the one that failed.
    const platform::Stopwatch stopwatch;
    const RollbackReport rollback = roll_back(run);
    if (rollback.result != Result::nothing_to_undo)
        run.report.phases.push_back({L"rollback", stopwatch.elapsed_milliseconds()});
    run.old_database_after_rollback = rollback.old_database;
    form.set_status_text(failure_status + rollback_status(rollback));
    run.context.sqlca.disconnect();
    remove_staged_template(run);
    run.context.prompts.message_box(L"警告", failure_message(run, rollback));
    run.context.form.set_pointer(platform::MousePointer::arrow);
    return rollback.old_database == OldDatabase::missing ? InstallOutcome::old_database_lost
                                                         : InstallOutcome::statement_failed;
}

}  // namespace install
