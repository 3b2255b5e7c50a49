// The proof that the tills can log in: the client alias written where the
// server listens, then a connection made exactly as the store application
// makes it — the login mirvox with its password, to the server the alias
// names, into the installed database — and the store mode read back.
#include "install/install_run.h"
#include "install/phases/client_alias.h"
#include "install/phases/phases.h"

#include "app/install_settings.h"
#include "install/preflight/staging.h"
#include "install/server/statements.h"
#include "platform/odbc/transaction.h"
#include "platform/prompts.h"

namespace install {

namespace {

using platform::Transaction;

// What the tills would meet; nullopt when they log in and see the store mode chosen.
std::optional<std::wstring> log_in_as_the_tills(InstallRun& run, const std::wstring& alias)
{
    Transaction& sqlca = run.context.sqlca;
    const std::optional<std::wstring> server = server_of_alias(alias);
    if (!server)
        return L"客户端别名 " + alias + L" 不是 TCP/IP 的别名。";
    sqlca.disconnect();
    sqlca.server_name = *server;
    sqlca.database_name = run.context.settings.is_dbname;
    sqlca.login_id = statements::application_login;
    sqlca.login_password = statements::application_password;
    sqlca.integrated_security = false;
    sqlca.connect();
    if (sqlca.status_code() != Transaction::success)
        return sqlca.error_text();
    std::wstring stored;
    sqlca.select_single(statements::store_mode_query, {}, stored);
    const long status = sqlca.status_code();
    const std::wstring error = sqlca.error_text();
    sqlca.disconnect();
    if (status == Transaction::failure)
        return error;
    const std::optional<StoreMode> chosen = run.context.form.store_mode();
    if (chosen && (status != Transaction::success || stored != store_mode_code(*chosen)))
        return L"数据库中的连锁模式是“" + (status == Transaction::success ? stored : L"（没有）") +
               L"”，不是选择的“" + store_mode_code(*chosen) + L"”。";
    return std::nullopt;
}

InstallOutcome tills_cannot_log_in(InstallRun& run, const std::wstring& alias, const std::wstring& problem)
{
    run.context.form.set_status_text(L"数据库已经安装，但是收银程序不能登录：" + problem);
    run.log.log_status_line();
    run.report.error_number = run.context.sqlca.error_number();
    run.report.error_text = problem;
    remove_staged_template(run);
    run.context.form.set_pointer(platform::MousePointer::arrow);
    std::wstring text = L"新数据库已经安装，但是收银程序不能登录数据库服务器：\r\n" + problem +
                        L"\r\n\r\n收银程序通过客户端别名 mirvox（" + alias +
                        L"）用登录名 mirvox 连接数据库。请确认 SQL Server 服务正在运行、接受 SQL Server 身份验证、"
                        L"启用了 TCP/IP，命名实例还要有正在运行的 SQL Server Browser 服务；然后再运行本程序。";
    if (run.changes.safety_backup)
        text += L"\r\n原数据库的安全备份在数据库服务器上：" + *run.changes.safety_backup;
    run.context.prompts.message_box(L"警告", text);
    return InstallOutcome::unverified;
}

}  // namespace

PhaseEnd verify_tills_login(InstallRun& run)
{
    run.context.sqlca.disconnect();
    const std::wstring alias = alias_data(run.listening);
    const platform::Outcome written = write_client_alias(run, alias);
    run.report.alias_written = written.succeeded;
    run.report.alias = alias;
    if (!written.succeeded)
        return tills_cannot_log_in(run, alias,
                                   L"不能在注册表中写入 SQL Server 客户端别名 mirvox：" + written.system_message +
                                       L" 请以管理员身份运行本程序。");
    run.log.LogPhase(L"验证收银程序的连接...");
    if (std::optional<std::wstring> problem = log_in_as_the_tills(run, alias))
        return tills_cannot_log_in(run, alias, *problem);
    return std::nullopt;
}

}  // namespace install
