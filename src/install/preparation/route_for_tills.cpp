// What the tills need from the server, asked of the server, the registry and
// the Service Control Manager, and granted with the operator's consent.
#include "install/preparation/route_for_tills.h"

#include "app/sql_server_instances.h"
#include "install/check/dry_run.h"
#include "install/install_run.h"
#include "install/preparation/server_restart.h"
#include "install/preparation/tills_route.h"
#include "install/record/run_journal.h"
#include "install/server/patient_connect.h"
#include "install/server/statements.h"
#include "platform/character_class.h"
#include "platform/odbc/transaction.h"
#include "platform/registry.h"

#include <algorithm>

namespace install {

namespace {

using platform::Transaction;

const std::wstring browser_service = L"SQLBrowser";

// What the server, its registry keys and the Browser's service say.
struct Findings {
    ServerListening listening;
    std::optional<app::SqlServerInstance> instance;  // its registry keys, when this computer lists it
};

std::optional<Findings> find_out(InstallRun& run)
{
    Transaction& sqlca = run.context.sqlca;
    platform::QueryResult answer;
    sqlca.select_rows(statements::logins_and_instance_query, {}, answer);
    if (sqlca.status_code() == Transaction::failure || answer.rows.empty() || answer.rows[0].size() < 2)
        return std::nullopt;
    Findings found;
    found.listening.sql_logins_enabled = answer.rows[0][0].value_or(L"0") != L"1";
    found.listening.instance = answer.rows[0][1].value_or(L"");

    // SQL Server 2000 has no view of its connections; the registry then tells the port.
    if (run.server_version.major >= 9) {
        platform::QueryResult connection;
        sqlca.select_rows(statements::own_connection_query, {}, connection);
        if (sqlca.status_code() == Transaction::success && !connection.rows.empty() &&
            connection.rows[0].size() >= 2 && connection.rows[0][0] == L"TCP")
            found.listening.connection_port = port_number(connection.rows[0][1].value_or(L""));
    }

    const std::vector<app::SqlServerInstance> instances = app::find_sql_server_instances();
    const std::wstring name = found.listening.instance.empty() ? L"MSSQLSERVER" : found.listening.instance;
    for (const app::SqlServerInstance& instance : instances)
        if (platform::same_text_ignoring_case(instance.name, name))
            found.instance = instance;
    if (found.instance) {
        if (found.instance->tcp_enabled)
            found.listening.tcp_enabled = *found.instance->tcp_enabled != 0;
        // TcpPort may list several ports; clients are given the first.
        const std::wstring& ports = found.instance->tcp_port;
        found.listening.static_port = port_number(ports.substr(0, ports.find(L',')));
    }
    if (needs_browser(found.listening)) {
        if (const std::optional<platform::ServiceState> browser = platform::query_service(browser_service)) {
            found.listening.browser_start = browser->start_type;
            found.listening.browser_running = browser->running;
        }
    }
    return found;
}

std::wstring instance_name(const Findings& found)
{
    return found.listening.instance.empty() ? L"MSSQLSERVER" : found.listening.instance;
}

std::wstring service_of(const Findings& found)
{
    return found.instance ? found.instance->service_name()
                          : (found.listening.instance.empty() ? L"MSSQLSERVER" : L"MSSQL$" + found.listening.instance);
}

std::wstring listed(const Findings& found, const std::vector<Obstacle>& in_the_way)
{
    std::wstring text;
    for (const Obstacle obstacle : in_the_way)
        text += L"\r\n- " + obstacle_text(obstacle, instance_name(found), service_of(found));
    return text;
}

bool needs_restart(const std::vector<Obstacle>& in_the_way)
{
    for (const Obstacle obstacle : in_the_way)
        if (obstacle == Obstacle::sql_logins_off || obstacle == Obstacle::tcp_off)
            return true;
    return false;
}

// What the installer will do, one clause an obstacle.
std::wstring changes_made(const Findings& found, const std::vector<Obstacle>& in_the_way)
{
    std::wstring text;
    for (const Obstacle obstacle : in_the_way) {
        if (obstacle == Obstacle::sql_logins_off)
            text += L"\r\n- 把身份验证方式改为“SQL Server 和 Windows 身份验证模式”；";
        else if (obstacle == Obstacle::tcp_off)
            text += L"\r\n- 启用实例 " + instance_name(found) + L" 的 TCP/IP 协议；";
        else if (obstacle == Obstacle::browser_not_automatic)
            text += L"\r\n- 把 SQL Server Browser 服务设为自动启动，并启动它；";
    }
    if (needs_restart(in_the_way))
        text += L"\r\n- 然后重新启动 SQL Server 服务 " + service_of(found) +
                L"（以及依赖它的服务）。重新启动时，连接着这台数据库服务器的所有用户（包括收银机）会断开片刻。";
    return text;
}

std::wstring by_hand(const std::vector<Obstacle>& in_the_way)
{
    std::wstring text = L"请在 SQL Server 配置管理器或 SQL Server Management Studio 中";
    for (const Obstacle obstacle : in_the_way) {
        if (obstacle == Obstacle::sql_logins_off)
            text += L"，把服务器身份验证改为“SQL Server 和 Windows 身份验证模式”";
        else if (obstacle == Obstacle::tcp_off)
            text += L"，启用 TCP/IP 协议";
        else if (obstacle == Obstacle::browser_not_automatic)
            text += L"，把 SQL Server Browser 服务的启动类型设为“自动”并启动它";
        else if (obstacle == Obstacle::browser_missing)
            text += L"，安装 SQL Server Browser，或者给实例在 TCP/IP 的“IPAll”中设定固定端口";
    }
    return text + L"，然后重新启动 SQL Server 服务，再运行本程序；"
                  L"或者再运行本程序并同意更改设置（无人值守安装时加上 --configure-server）。";
}

Refusal refusal_for(const Findings& found, const std::vector<Obstacle>& in_the_way, const std::wstring& first_words)
{
    return {first_words + listed(found, in_the_way), by_hand(in_the_way)};
}

// Each change the operator agreed to, logged; the system's reason when one
// could not be made.
std::optional<std::wstring> change_settings(InstallRun& run, const Findings& found,
                                            const std::vector<Obstacle>& in_the_way)
{
    // Only the Browser's own change comes without the instance's registry keys.
    const std::optional<app::SqlServerInstance>& instance = found.instance;
    for (const Obstacle obstacle : in_the_way) {
        platform::Outcome changed{true, {}};
        std::wstring done;
        if (obstacle == Obstacle::sql_logins_off) {
            changed = platform::write_machine_dword(instance->view, instance->server_key, L"LoginMode",
                                                    app::mixed_authentication);
            done = L"身份验证方式已改为 SQL Server 和 Windows 身份验证模式（" + instance->server_key + L" LoginMode = 2）";
        } else if (obstacle == Obstacle::tcp_off) {
            changed = platform::write_machine_dword(instance->view, instance->tcp_key, L"Enabled", 1);
            done = L"已启用 TCP/IP 协议（" + instance->tcp_key + L" Enabled = 1）";
        } else if (obstacle == Obstacle::browser_not_automatic) {
            changed = platform::set_service_automatic(browser_service);
            if (changed.succeeded)
                changed = platform::start_service(browser_service, std::chrono::seconds(60));
            done = L"SQL Server Browser 服务已设为自动启动并已启动";
        }
        if (!changed.succeeded)
            return changed.system_message;
        run.log.LogLine(done);
    }
    return std::nullopt;
}

}  // namespace

std::optional<Refusal> prepare_route_for_tills(InstallRun& run)
{
    std::optional<Findings> found = find_out(run);
    if (!found)
        return Refusal{L"数据库服务器不能回答安装前的检查：" + run.context.sqlca.error_text(),
                       L"请确认数据库服务器运行正常，并用系统管理员登录名安装。"};
    run.listening = found->listening;
    run.listening_learnt = true;
    // A Browser set to start by itself but stopped now is only started: nothing the server's administrator chose
    // changes. A dry run leaves even that to the install.
    if (needs_browser(found->listening) && found->listening.browser_start == platform::ServiceStartType::automatic &&
        !found->listening.browser_running && !run.context.dry_run) {
        const platform::Outcome started = platform::start_service(browser_service, std::chrono::seconds(60));
        run.log.LogLine(started.succeeded ? L"已启动 SQL Server Browser 服务"
                                          : L"SQL Server Browser 服务没有启动：" + started.system_message);
    }
    const std::vector<Obstacle> in_the_way = obstacles(found->listening);
    if (in_the_way.empty())
        return std::nullopt;

    const std::wstring problem = L"安装以后收银程序将不能登录数据库服务器：";
    // The server's own settings are changed in its registry keys: without them only the Browser can be helped.
    const bool removable = std::all_of(in_the_way.begin(), in_the_way.end(), [&](Obstacle obstacle) {
        return can_remove(obstacle) && (obstacle == Obstacle::browser_not_automatic || found->instance);
    });
    if (!removable)
        return refusal_for(*found, in_the_way, problem);
    if (run.context.dry_run)
        return note_server_changes(run, changes_made(*found, in_the_way))
                   ? std::nullopt
                   : std::optional<Refusal>(refusal_for(*found, in_the_way, problem));

    const std::wstring question = problem + listed(*found, in_the_way) + L"\r\n\r\n安装程序可以现在更改设置：" +
                                  changes_made(*found, in_the_way) + L"\r\n\r\n现在更改设置吗？";
    const bool agreed = run.context.form.consent_to_server_change(question);
    if (run.context.journal)
        run.context.journal->note(std::wstring(L"server change ") + (agreed ? L"agreed: " : L"declined: ") +
                                  listed(*found, in_the_way));
    if (!agreed)
        return refusal_for(*found, in_the_way, problem);

    run.log.LogPhase(L"更改数据库服务器的设置...");
    if (std::optional<std::wstring> failure = change_settings(run, *found, in_the_way))
        return Refusal{L"不能更改数据库服务器的设置：" + *failure, by_hand(in_the_way)};
    if (needs_restart(in_the_way)) {
        if (std::optional<std::wstring> failure = restart_sql_server(run, service_of(*found)))
            return Refusal{L"不能重新启动 SQL Server 服务 " + service_of(*found) + L"：" + *failure,
                           L"请在“服务”中启动它，确认它运行正常后再运行本程序。"};
        run.log.LogPhase(L"等待数据库服务器接受连接...");
        if (!connect_patiently(run, std::chrono::seconds(180)))
            return Refusal{L"SQL Server 服务 " + service_of(*found) + L" 重新启动以后，安装程序连接不上它：" +
                               run.context.sqlca.error_text(),
                           L"请确认服务运行正常后再运行本程序。"};
        run.log.LogLine(L"连接数据库成功");
    }

    found = find_out(run);
    if (!found)
        return Refusal{L"数据库服务器不能回答安装前的检查：" + run.context.sqlca.error_text(),
                       L"请确认数据库服务器运行正常，并用系统管理员登录名安装。"};
    run.listening = found->listening;
    const std::vector<Obstacle> remaining = obstacles(found->listening);
    if (!remaining.empty())
        return refusal_for(*found, remaining, L"更改设置以后，收银程序仍然不能登录数据库服务器：");
    run.context.form.set_status_text(L"检查安装条件...");
    return std::nullopt;
}

}  // namespace install
