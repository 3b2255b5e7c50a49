// The dry run's last phase and its stand-ins for the steps that would change
// something.
#include "install/check/dry_run.h"

#include "app/install_settings.h"
#include "install/install_run.h"
#include "install/preflight/refusal.h"
#include "install/recovery/run_record.h"
#include "install/server/statements.h"
#include "platform/files.h"
#include "platform/odbc/transaction.h"
#include "platform/prompts.h"

#include <cwchar>

namespace install {

namespace {

using platform::Transaction;

// A count the server answered; nullopt when the question failed.
std::optional<long> count_of(Transaction& sqlca, const std::wstring& query, const std::vector<std::wstring>& values)
{
    std::wstring count = L"0";
    sqlca.select_single(query, values, count);
    if (sqlca.status_code() == Transaction::failure)
        return std::nullopt;
    return std::wcstol(count.c_str(), nullptr, 10);
}

// What an install would do with an old database there; nullopt when it
// would go on.
std::optional<Refusal> old_database_refusal(InstallRun& run, CheckReport& check)
{
    Transaction& sqlca = run.context.sqlca;
    const app::InstallSettings& settings = run.context.settings;
    check.old_database_sessions = count_of(sqlca, statements::database_sessions_query, {settings.is_dbname});
    check.application_sessions = count_of(sqlca, statements::in_use_query, {settings.is_logid, settings.is_dbname});
    if (!check.old_database_sessions || !check.application_sessions)
        return unanswered(sqlca);
    check.needs.push_back(CheckedNeed::drop_consent);
    if (!run.context.dry_run->drop_existing)
        return Refusal{L"数据库服务器上已经有数据库 " + settings.is_dbname + L"，安装会删除它（先做安全备份）并换成新的数据库。",
                       L"确认可以替换它以后再安装（无人值守安装时加上 --drop-existing）。"};
    if (*check.application_sessions > 0)
        return Refusal{L"旧数据库正在被使用：登录名 " + settings.is_logid + L" 有 " +
                           std::to_wstring(*check.application_sessions) + L" 个连接。",
                       L"请让所有用户退出应用系统，然后继续此操作。"};
    return std::nullopt;
}

std::wstring what_an_install_does(const InstallRun& run, const CheckReport& check)
{
    const std::wstring& database = run.context.settings.is_dbname;
    std::wstring text = check.action == CheckedAction::replace
                            ? L"安装会替换数据库服务器上原有的数据库 " + database +
                                  (run.context.take_safety_backup ? L"（删除前先做安全备份）。" : L"（不做安全备份）。")
                            : L"安装会新建数据库 " + database + L"。";
    if (!check.server_changes.empty()) {
        text += L"\r\n安装前会更改数据库服务器的设置：";
        for (const std::wstring& change : check.server_changes)
            text += L"\r\n- " + change;
    }
    return text;
}

}  // namespace

bool note_server_changes(InstallRun& run, const std::wstring& changes)
{
    const std::wstring separator = L"\r\n- ";
    std::vector<std::wstring>& noted = run.report.check->server_changes;
    for (size_t start = changes.find(separator); start != std::wstring::npos;) {
        const size_t next = changes.find(separator, start + separator.size());
        noted.push_back(changes.substr(start + separator.size(),
                                       next == std::wstring::npos ? std::wstring::npos
                                                                  : next - start - separator.size()));
        start = next;
    }
    run.report.check->needs.push_back(CheckedNeed::server_configuration);
    return run.context.dry_run->configure_server;
}

PhaseEnd refuse_check_after_interrupted_run(InstallRun& run)
{
    if (!platform::file_exists(run_record_file()))
        return std::nullopt;
    run.context.prompts.message_box(
        L"警告", L"上次的安装没有完成，它留下了记录 " + run_record_file() +
                     L"。安装会先把数据库服务器恢复到上次安装前的状态，检查不能预先知道恢复以后的情况。"
                     L"\r\n请不加 --check 运行本程序：它先恢复数据库服务器，然后安装。"
                     L"\r\n数据库服务器上没有做任何更改。");
    return stop_install(run, InstallOutcome::refused);
}

PhaseEnd answer_check(InstallRun& run)
{
    CheckReport& check = *run.report.check;
    Transaction& sqlca = run.context.sqlca;
    run.log.LogPhase(L"检测旧数据库及相关信息...");
    std::wstring edition;
    sqlca.select_single(statements::edition_query, {}, edition);
    if (sqlca.status_code() == Transaction::failure)
        return refuse_install(run, unanswered(sqlca));
    check.edition = edition;
    check.action = run.old_database_found.value_or(false) ? CheckedAction::replace : CheckedAction::create;
    if (check.action == CheckedAction::replace)
        if (std::optional<Refusal> refusal = old_database_refusal(run, check))
            return refuse_install(run, *refusal);

    sqlca.disconnect();
    run.context.form.set_status_text(L"检查通过：可以安装。");
    run.log.log_status_line();
    run.context.prompts.message_box(L"提示", L"检查通过：可以安装。" + what_an_install_does(run, check) +
                                                L"\r\n数据库服务器上没有做任何更改。");
    return stop_install(run, InstallOutcome::checked);
}

}  // namespace install
