// Phases 4 to 7: an old database found, confirmed by the operator, checked
// for use, backed up, and removed with its login.
#include "install/install_run.h"

#include "app/install_settings.h"
#include "platform/clock.h"
#include "platform/odbc/transaction.h"
#include "platform/prompts.h"
#include "install/server/progress.h"
#include "install/server/server_lookups.h"
#include "install/server/statements.h"

#include <cwchar>

namespace install {

namespace {

using platform::Transaction;

// li_num: the count read back, or 0 when the text holds no number.
long connections_of(const std::wstring& count_text)
{
    return std::wcstol(count_text.c_str(), nullptr, 10);
}

// Phase 6: the application login's connections to the old database. A
// failed count counts as none; the drop then decides.
PhaseEnd check_old_database_unused(InstallRun& run)
{
    const app::InstallSettings& settings = run.context.settings;
    run.log.LogPhase(L"检测旧数据库是否正在使用中...");
    std::wstring count_text = L"0";
    run.context.sqlca.select_single(statements::in_use_query, {settings.is_logid, settings.is_dbname}, count_text);
    if (connections_of(count_text) <= 0)
        return std::nullopt;
    run.context.prompts.message_box(L"警告", L"旧数据库正在被使用，请让所有用户退出应用系统，然后继续此操作。");
    run.log.LogPhase(L"旧数据库正在被使用，不能安装新数据库。");
    run.context.sqlca.disconnect();
    return stop_install(run, InstallOutcome::old_database_in_use);
}

// The old database written to a file beside the new one's, so that a
// failure after the drop can put it back.
PhaseEnd back_up_old_database(InstallRun& run)
{
    if (!run.context.take_safety_backup)
        return std::nullopt;
    Transaction& sqlca = run.context.sqlca;
    const std::wstring& database = run.context.settings.is_dbname;
    run.log.LogPhase(L"备份旧数据库...");
    // An earlier backup of the same second is never written over.
    const platform::LocalTime now = platform::local_time_now();
    std::wstring file;
    for (int nth = 1; file.empty(); ++nth) {
        const std::wstring candidate = statements::safety_backup_file(run.context.form.data_path(), database, now, nth);
        std::optional<FileExistence> found;
        if (!find_server_file(sqlca, candidate, found))
            return fail_install(run);
        if (!found || (!found->file && !found->directory))
            file = candidate;
    }
    {
        const ServerProgress progress(sqlca, run.context.form);
        sqlca.execute_immediate(statements::safety_backup(database, file, run.server_version));
    }
    if (sqlca.status_code() != Transaction::success)
        return fail_install(run);
    run.changes.safety_backup = file;
    run.log.LogLine(L"旧数据库已备份到 " + file);
    return std::nullopt;
}

// The failure path of the drops, with the server's text on the status line.
InstallOutcome fail_drop(InstallRun& run)
{
    run.context.form.set_status_text(L"删除旧数据库及相关信息失败！" + run.context.sqlca.error_text());
    return fail_install(run);
}

// The drops fail on -1 only; any other status counts as done.
bool drop_old(InstallRun& run, const std::wstring& statement)
{
    run.context.sqlca.execute_immediate(statement);
    return run.context.sqlca.status_code() != Transaction::failure;
}

PhaseEnd drop_old_database_and_login(InstallRun& run)
{
    const app::InstallSettings& settings = run.context.settings;
    run.log.LogPhase(L"删除旧数据库及相关信息...");
    if (!drop_old(run, statements::drop_database(settings.is_dbname)))
        return fail_drop(run);
    run.changes.old_database_dropped = true;

    // An old database restored by hand, or left by a failed run, may have no
    // login: there is nothing to drop then.
    std::optional<LoginRecord> login;
    if (!find_login(run.context.sqlca, settings.is_logid, login))
        return fail_drop(run);
    if (!login)
        return std::nullopt;
    run.changes.dropped_logins.push_back(*login);
    if (!drop_old(run, statements::drop_login(settings.is_logid)))
        return fail_drop(run);
    return std::nullopt;
}

}  // namespace

PhaseEnd replace_old_database(InstallRun& run)
{
    const app::InstallSettings& settings = run.context.settings;
    Transaction& sqlca = run.context.sqlca;

    run.log.LogPhase(L"检测旧数据库及相关信息...");
    std::wstring found_name;
    sqlca.select_single(statements::old_database_query, {settings.is_dbname}, found_name);
    if (sqlca.status_code() == Transaction::failure)
        return fail_install(run);
    run.old_database_found = sqlca.status_code() == Transaction::success;
    if (!*run.old_database_found)
        return std::nullopt;

    const std::wstring answer = run.context.form.confirm_reinstall();
    run.context.form.set_pointer(platform::MousePointer::busy);
    if (answer != L"1") {
        sqlca.disconnect();
        return stop_install(run, InstallOutcome::declined);
    }

    for (auto phase : {check_old_database_unused, back_up_old_database, drop_old_database_and_login}) {
        if (PhaseEnd end = phase(run))
            return end;
    }
    return std::nullopt;
}

}  // namespace install
