// Phase 6: whether the application login still uses the old database.
#include "install/phases/old_database_steps.h"

#include "app/install_settings.h"
#include "install/install_run.h"
#include "install/server/statements.h"
#include "platform/odbc/transaction.h"
#include "platform/prompts.h"

#include <cwchar>

namespace install {

namespace {

// li_num: the count read back, or 0 when the text holds no number.
long connections_of(const std::wstring& count_text)
{
    return std::wcstol(count_text.c_str(), nullptr, 10);
}

}  // namespace

// A failed count counts as none; the drop then decides.
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

}  // namespace install
