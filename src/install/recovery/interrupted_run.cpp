// Putting right what an interrupted run left.
#include "install/recovery/interrupted_run.h"

#include "install/install_run.h"
#include "install/record/run_journal.h"
#include "install/recovery/rollback.h"
#include "install/recovery/run_record.h"
#include "platform/character_class.h"
#include "platform/files.h"
#include "platform/odbc/transaction.h"
#include "platform/prompts.h"

namespace install {

namespace {

using OldDatabase = RollbackReport::OldDatabase;

std::wstring backup_named(const RunRecord& record)
{
    return record.changes.safety_backup ? L"\r\n原数据库的安全备份在数据库服务器上：" + *record.changes.safety_backup
                                        : L"";
}

}  // namespace

PhaseEnd recover_interrupted_run(InstallRun& run)
{
    if (!platform::file_exists(run_record_file()))
        return std::nullopt;
    const std::optional<RunRecord> record = read_run_record();
    if (!record) {
        run.context.prompts.message_box(
            L"警告", L"上次的安装没有完成，它留下的记录 " + run_record_file() +
                         L" 不能读取。\r\n请确认数据库服务器上的原数据库完好（或用安全备份还原它）以后删除这个文件，再安装。");
        return stop_install(run, InstallOutcome::refused);
    }
    if (!platform::same_text_ignoring_case(record->server, run.context.form.server_name())) {
        run.context.prompts.message_box(L"警告", L"上次在数据库服务器“" + record->server +
                                                  L"”上的安装没有完成。请在服务器名称中填写“" + record->server +
                                                  L"”，安装程序会先把它恢复到安装前的状态。" + backup_named(*record));
        return stop_install(run, InstallOutcome::refused);
    }

    run.record_kept = true;
    run.log.LogPhase(L"上次的安装没有完成，正在恢复安装前的状态...");
    if (run.context.journal)
        run.context.journal->note(L"an interrupted run's record was found: " + run_record_file() +
                                  (record->template_staged ? L"; it had staged the template to " + record->restore_source
                                                           : L""));
    run.server_version = record->server_version;
    run.old_database_files = record->old_database_files;
    run.changes = record->changes;
    const RollbackReport rollback = roll_back(run);
    run.context.sqlca.disconnect();
    // The failure path tries the way back once more and names the safety backup.
    if (rollback.result == RollbackReport::Result::failed) {
        run.failure_cause = FailureCause{0, L"上次没有完成的安装不能撤销：" + rollback.error};
        return InstallOutcome::statement_failed;
    }

    const std::wstring what = rollback.old_database == OldDatabase::restored
                                  ? L"原数据库已从安全备份恢复。"
                                  : L"上次安装所做的更改已经撤销。";
    std::wstring differences;
    for (const std::wstring& difference : rollback.differences)
        differences += L"\r\n" + difference;
    run.context.prompts.message_box(L"提示", L"上次的安装没有完成。" + what + differences + backup_named(*record) +
                                                L"\r\n现在开始这次安装。");
    remove_run_record();
    // This run starts from the server as it was: nothing of it is changed yet.
    run.record_kept = false;
    run.changes = {};
    run.old_database_files.clear();
    return std::nullopt;
}

}  // namespace install
