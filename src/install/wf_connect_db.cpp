// The one place where the server, database and login of SQLCA are chosen.
#include "install/wf_connect_db.h"

#include "app/install_settings.h"
#include "app/sql_server_instances.h"
#include "platform/machine.h"
#include "platform/prompts.h"
#include "platform/odbc/transaction.h"

namespace install {

bool connect_sqlca(InstallContext& context, const std::wstring& as_logid)
{
    platform::Transaction& sqlca = context.sqlca;
    sqlca.disconnect();
    sqlca.interface_name = L"MSS Microsoft SQL Server";
    sqlca.server_name = context.form.server_name();
    sqlca.database_name = L"master";
    sqlca.login_id = as_logid;
    const bool application_login = sqlca.login_id == context.settings.is_logid;
    sqlca.login_password = application_login ? context.settings.is_pass : context.form.admin_password();
    sqlca.integrated_security = !application_login && context.form.windows_authentication();
    sqlca.auto_commit = true;
    sqlca.connect();
    return sqlca.status_code() == platform::Transaction::success;
}

namespace {

// SQL Server tells a client only "Login failed" and keeps the reason in its
// error log; where this computer knows the reason, the operator hears it.
std::wstring reason_known_here(const InstallContext& context)
{
    const long error = context.sqlca.error_number();
    if (error == 18470)
        return L"\r\n这个登录名已被停用：请选择 Windows 身份验证，或请数据库管理员启用它。";
    if (error != 18456 || context.form.windows_authentication())
        return L"";
    const std::vector<app::SqlServerInstance> instances = app::find_sql_server_instances();
    const std::optional<size_t> instance =
        app::instance_named_by(context.form.server_name(), instances, platform::computer_name());
    if (instance && instances[*instance].login_mode == app::windows_authentication_only)
        return L"\r\n这台数据库服务器只接受 Windows 身份验证：请选择 Windows 身份验证。";
    return L"";
}

}  // namespace

bool wf_connect_db(InstallContext& context, InstallLog& log, const std::wstring& as_logid)
{
    if (!connect_sqlca(context, as_logid)) {
        const std::wstring reason = as_logid == context.settings.is_logid ? L"" : reason_known_here(context);
        context.prompts.message_box(context.app_name, L"不能连接到数据库。" + context.sqlca.error_text() + reason);
        return false;
    }
    log.LogLine(L"连接数据库成功");
    return true;
}

}  // namespace install
