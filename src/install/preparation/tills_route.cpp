// The tills' route to the server.
#include "tills_route.h"

#include <cwctype>

namespace install {

bool needs_browser(const ServerListening& listening)
{
    return !listening.instance.empty() && !listening.static_port;
}

std::vector<Obstacle> obstacles(const ServerListening& listening)
{
    std::vector<Obstacle> found;
    if (!listening.sql_logins_enabled)
        found.push_back(Obstacle::sql_logins_off);
    if (listening.tcp_enabled == false)
        found.push_back(Obstacle::tcp_off);
    if (needs_browser(listening)) {
        if (!listening.browser_start)
            found.push_back(Obstacle::browser_missing);
        else if (*listening.browser_start != platform::ServiceStartType::automatic)
            found.push_back(Obstacle::browser_not_automatic);
    }
    return found;
}

bool can_remove(Obstacle obstacle)
{
    return obstacle != Obstacle::browser_missing;
}

std::wstring alias_data(const ServerListening& listening)
{
    const std::wstring host = L"DBMSSOCN,127.0.0.1";
    if (!listening.instance.empty()) {
        if (listening.static_port)
            return host + L"," + std::to_wstring(*listening.static_port);
        return host + L"\\" + listening.instance;
    }
    const int port = listening.connection_port.value_or(listening.static_port.value_or(1433));
    return host + L"," + std::to_wstring(port);
}

std::optional<std::wstring> server_of_alias(const std::wstring& alias_data)
{
    const std::wstring library = L"DBMSSOCN,";
    if (alias_data.compare(0, library.size(), library) != 0 || alias_data.size() == library.size())
        return std::nullopt;
    return alias_data.substr(library.size());
}

std::optional<int> port_number(const std::wstring& text)
{
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    int port = 0;
    for (const wchar_t c : text) {
        if (!std::iswdigit(c))
            return std::nullopt;
        port = port * 10 + (c - L'0');
    }
    if (port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

std::wstring obstacle_text(Obstacle obstacle, const std::wstring& instance_name, const std::wstring& service)
{
    switch (obstacle) {
    case Obstacle::sql_logins_off:
        return L"数据库服务器只接受 Windows 身份验证，收银程序的 SQL Server 登录名 mirvox 不能登录。";
    case Obstacle::tcp_off:
        return L"实例 " + instance_name + L"（服务 " + service + L"）的 TCP/IP 协议没有启用，收银程序连接不到它。";
    case Obstacle::browser_not_automatic:
        return L"实例 " + instance_name + L" 使用动态端口，收银程序要通过 SQL Server Browser 服务找到它，"
                                         L"但是这个服务不会随 Windows 自动启动。";
    case Obstacle::browser_missing:
        return L"实例 " + instance_name + L" 使用动态端口，收银程序要通过 SQL Server Browser 服务找到它，"
                                         L"但是这台计算机上没有安装 SQL Server Browser。";
    }
    return {};
}

}  // namespace install
