// The pre-flight's refusal.
#include "install/preflight/refusal.h"

#include "install/install_run.h"
#include "install/preflight/staging.h"
#include "platform/odbc/transaction.h"
#include "platform/prompts.h"

namespace install {

Refusal unanswered(const platform::Transaction& sqlca)
{
    const std::wstring reason = sqlca.error_text().empty() ? L"它没有回答。" : sqlca.error_text();
    return {L"数据库服务器不能回答安装前的检查：" + reason,
            L"请确认数据库服务器运行正常，并用系统管理员登录名安装。"};
}

InstallOutcome refuse_install(InstallRun& run, const Refusal& refusal)
{
    run.context.form.set_status_text(L"安装前检查未通过：" + refusal.problem);
    run.log.log_status_line();
    remove_staged_template(run);
    run.context.sqlca.disconnect();
    run.context.prompts.message_box(L"警告", refusal.problem + L"\r\n" + refusal.advice +
                                                  L"\r\n数据库服务器上没有做任何更改。");
    run.context.form.set_pointer(platform::MousePointer::arrow);
    return InstallOutcome::refused;
}

}  // namespace install
