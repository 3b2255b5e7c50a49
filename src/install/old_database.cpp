// Phases 4 to 7: an old database found, confirmed by the operator, checked
// for use and removed with its login.
#include "install_run.h"

#include "app/install_settings.h"
#include "platform/mouse_pointer.h"
#include "platform/odbc/transaction.h"
#include "platform/prompts.h"
#include "statements.h"

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
    return stop_install(InstallOutcome::old_database_in_use);
}

// The drops fail on -1 only; any other status counts as done.
PhaseEnd drop_old(InstallRun& run, const std::wstring& statement)
{
    Transaction& sqlca = run.context.sqlca;
    sqlca.execute_immediate(statement);
    if (sqlca.status_code() != Transaction::failure)
        return std::nullopt;
    run.context.form.set_status_text(L"删除旧数据库及相关信息失败！" + sqlca.error_text());
    return fail_install(run);
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
    if (sqlca.status_code() != Transaction::success)
        return std::nullopt;

    const std::wstring answer = run.context.form.confirm_reinstall();
    platform::set_mouse_pointer(platform::MousePointer::busy);
    if (answer != L"1") {
        sqlca.disconnect();
        return stop_install(InstallOutcome::declined);
    }

    if (PhaseEnd end = check_old_database_unused(run))
        return end;

    run.log.LogPhase(L"删除旧数据库及相关信息...");
    if (PhaseEnd end = drop_old(run, statements::drop_database(settings.is_dbname)))
        return end;
    return drop_old(run, statements::drop_login(settings.is_logid));
}

}  // namespace install
