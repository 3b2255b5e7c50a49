// How the store's tills reach the server: the store application connects
// through the client alias mirvox with the SQL Server login mirvox, over
// TCP/IP. What the installer knows of how the server listens decides what
// the alias says and what would stop the tills from logging in. No server,
// registry or window here.
#pragma once

#include "platform/service_control.h"

#include <optional>
#include <string>
#include <vector>

namespace install {

struct ServerListening {
    std::wstring instance;             // "" for the default instance
    bool sql_logins_enabled = true;    // SERVERPROPERTY('IsIntegratedSecurityOnly') is 0
    std::optional<bool> tcp_enabled;   // the instance's TCP/IP switch; unknown without its registry keys
    std::optional<int> static_port;    // IPAll TcpPort
    std::optional<int> connection_port;  // the port this install's own connection reached, when over TCP
    // SQL Server Browser's start type; nullopt when it is not installed.
    std::optional<platform::ServiceStartType> browser_start;
    bool browser_running = false;
};

enum class Obstacle {
    sql_logins_off,        // Windows authentication only: the login mirvox cannot log in
    tcp_off,               // the alias is a TCP/IP route
    browser_not_automatic, // a named instance without a fixed port is found through the Browser after each restart
    browser_missing,       // ... and there is no Browser to start
};

// A named instance without a fixed port is reached through SQL Server Browser.
bool needs_browser(const ServerListening& listening);

// What stands between the tills and the server, in the order the operator
// is told.
std::vector<Obstacle> obstacles(const ServerListening& listening);

// Whether the installer can remove the obstacle itself (with consent).
bool can_remove(Obstacle obstacle);

// The alias's data, where the server listens: the default instance by its
// port ("DBMSSOCN,127.0.0.1,1433"; the port of this install's connection,
// else the fixed one, else 1433); a named instance by its fixed port, else by
// its name ("DBMSSOCN,127.0.0.1\SQLEXPRESS"), as a dynamic port may change
// at every start.
std::wstring alias_data(const ServerListening& listening);

// The server a client names when it follows the alias: "127.0.0.1,1433" for
// "DBMSSOCN,127.0.0.1,1433", "127.0.0.1\SQLEXPRESS" for
// "DBMSSOCN,127.0.0.1\SQLEXPRESS"; nullopt for any other network library.
std::optional<std::wstring> server_of_alias(const std::wstring& alias_data);

// "1433" as a port; nullopt for anything but a whole number from 1 to 65535.
std::optional<int> port_number(const std::wstring& text);

// The operator's words for an obstacle, naming the instance and its service.
std::wstring obstacle_text(Obstacle obstacle, const std::wstring& instance_name, const std::wstring& service);

}  // namespace install
