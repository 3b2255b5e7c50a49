// The one place where the server, database and login of SQLCA are chosen.
#include "install/wf_connect_db.h"

#include "app/install_settings.h"
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

bool wf_connect_db(InstallContext& context, InstallLog& log, const std::wstring& as_logid)
{
    if (!connect_sqlca(context, as_logid)) {
        context.prompts.message_box(context.app_name, L"不能连接到数据库。" + context.sqlca.error_text());
        return false;
    }
    log.LogLine(L"连接数据库成功");
    return true;
}

}  // namespace install
