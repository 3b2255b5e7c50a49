// The restart of a SQL Server service.
#include "install/preparation/server_restart.h"

#include "install/install_run.h"
#include "platform/odbc/transaction.h"
#include "platform/service_control.h"

#include <chrono>

namespace install {

namespace {

// A large database's recovery can hold a stop or a start for minutes.
constexpr std::chrono::seconds service_limit{180};

}  // namespace

std::optional<std::wstring> restart_sql_server(InstallRun& run, const std::wstring& service)
{
    run.context.sqlca.disconnect();
    run.log.LogPhase(L"正在重新启动 SQL Server 服务 " + service + L"...");
    const std::vector<std::wstring> dependents = platform::running_dependents(service);
    for (const std::wstring& dependent : dependents) {
        const platform::Outcome stopped = platform::stop_service(dependent, service_limit);
        if (!stopped.succeeded)
            return L"依赖它的服务 " + dependent + L" 不能停止：" + stopped.system_message;
        run.log.LogLine(L"已停止服务 " + dependent);
    }
    const platform::Outcome stopped = platform::stop_service(service, service_limit);
    if (!stopped.succeeded)
        return stopped.system_message;
    run.log.LogLine(L"已停止服务 " + service);
    const platform::Outcome started = platform::start_service(service, service_limit);
    if (!started.succeeded)
        return started.system_message;
    run.log.LogLine(L"已启动服务 " + service);
    // Started again in the reverse order of stopping: each after what it depends on.
    for (auto dependent = dependents.rbegin(); dependent != dependents.rend(); ++dependent) {
        const platform::Outcome restarted = platform::start_service(*dependent, service_limit);
        run.log.LogLine(restarted.succeeded ? L"已启动服务 " + *dependent
                                            : L"服务 " + *dependent + L" 没有启动：" + restarted.system_message);
    }
    return std::nullopt;
}

}  // namespace install
