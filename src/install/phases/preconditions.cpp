// Phase 1: what must hold before anything is logged or connected.
#include "install/install_run.h"
#include "install/check/dry_run.h"
#include "install/phases/phases.h"
#include "install/recovery/interrupted_run.h"

#include "app/install_settings.h"
#include "install/server/identifier.h"
#include "platform/files.h"
#include "platform/install_lock.h"
#include "platform/prompts.h"
#include "platform/odbc/transaction.h"

namespace install {

namespace {

// Names go bare into the statements, so anything but a regular identifier
// could run statements of its own or break the install halfway.
bool names_are_identifiers(InstallRun& run)
{
    const app::InstallSettings& settings = run.context.settings;
    struct Name {
        const wchar_t* key;
        const std::wstring& value;
        const wchar_t* kind;
    };
    for (const Name& name : {Name{L"databasename", settings.is_dbname, L"数据库名称"},
                             Name{L"logid", settings.is_logid, L"登录名"}}) {
        if (!is_regular_identifier(name.value)) {
            run.context.prompts.message_box(L"警告", std::wstring(L"dbinstall.ini 中 [database] 的 ") + name.key +
                                                         L" 值“" + name.value + L"”不是有效的" + name.kind + L"。");
            return false;
        }
    }
    return true;
}

}  // namespace

PhaseEnd check_preconditions(InstallRun& run)
{
    run.context.form.set_pointer(platform::MousePointer::busy);
    run.context.sqlca.auto_commit = true;
    // A second run would write c:\zq.tmp under the first, and could drop what the first restores.
    run.lock = platform::InstallLock::acquire();
    if (!run.lock) {
        run.context.prompts.message_box(L"提示", L"这台计算机上已经有一个数据库安装正在运行。请等它结束后再安装。");
        return stop_install(run, InstallOutcome::already_running);
    }
    if (PhaseEnd end = run.context.dry_run ? refuse_check_after_interrupted_run(run) : recover_interrupted_run(run))
        return end;
    if (!platform::file_exists(run.context.form.template_file())) {
        run.context.prompts.message_box(L"提示", L"请选择数据库文件");
        return stop_install(run, InstallOutcome::template_missing);
    }
    if (!names_are_identifiers(run))
        return stop_install(run, InstallOutcome::name_refused);
    return std::nullopt;
}

}  // namespace install
