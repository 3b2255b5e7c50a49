// Where the alias points and what stands between the tills and the server,
// for the servers shops have.
#include "install/preparation/tills_route.h"

#include <gtest/gtest.h>

namespace {

using install::Obstacle;
using install::ServerListening;
using platform::ServiceStartType;

ServerListening listening(std::wstring instance, std::optional<int> static_port, std::optional<int> connection_port)
{
    ServerListening server;
    server.instance = std::move(instance);
    server.static_port = static_port;
    server.connection_port = connection_port;
    return server;
}

TEST(TillsRoute, TheAliasNamesThePortOrTheInstanceWhereTheServerListens)
{
    const struct {
        const char* name;
        ServerListening server;
        std::wstring alias;
        std::wstring server_followed;
    } rows[] = {
        {"default instance on 1433", listening(L"", 1433, 1433), L"DBMSSOCN,127.0.0.1,1433", L"127.0.0.1,1433"},
        {"default instance, port unknown", listening(L"", std::nullopt, std::nullopt), L"DBMSSOCN,127.0.0.1,1433",
         L"127.0.0.1,1433"},
        {"default instance on another port", listening(L"", 1500, 1500), L"DBMSSOCN,127.0.0.1,1500", L"127.0.0.1,1500"},
        {"the connection's port first", listening(L"", 1433, 14330), L"DBMSSOCN,127.0.0.1,14330",
         L"127.0.0.1,14330"},
        {"named instance on a dynamic port", listening(L"SQLEXPRESS", std::nullopt, 49813),
         L"DBMSSOCN,127.0.0.1\\SQLEXPRESS", L"127.0.0.1\\SQLEXPRESS"},
        {"named instance on a fixed port", listening(L"SQLEXPRESS", 1533, 1533), L"DBMSSOCN,127.0.0.1,1533",
         L"127.0.0.1,1533"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(install::alias_data(row.server), row.alias);
        EXPECT_EQ(install::server_of_alias(row.alias), row.server_followed);
    }
    EXPECT_EQ(install::server_of_alias(L"DBNMPNTW,\\\\.\\pipe\\sql\\query"), std::nullopt);
    EXPECT_EQ(install::server_of_alias(L"DBMSSOCN,"), std::nullopt);
}

TEST(TillsRoute, ObstaclesOfTheServersShopsHave)
{
    ServerListening express = listening(L"SQLEXPRESS", std::nullopt, 49813);
    express.sql_logins_enabled = false;
    express.tcp_enabled = false;
    express.browser_start = ServiceStartType::disabled;
    EXPECT_EQ(install::obstacles(express),
              (std::vector<Obstacle>{Obstacle::sql_logins_off, Obstacle::tcp_off, Obstacle::browser_not_automatic}));

    express.browser_start.reset();
    EXPECT_EQ(install::obstacles(express).back(), Obstacle::browser_missing);
    EXPECT_FALSE(install::can_remove(Obstacle::browser_missing));

    ServerListening ready = listening(L"SQLEXPRESS", std::nullopt, 49813);
    ready.tcp_enabled = true;
    ready.browser_start = ServiceStartType::automatic;
    EXPECT_TRUE(install::obstacles(ready).empty());

    // A default instance, or a named one on a fixed port, is reached without the Browser;
    // an unknown TCP/IP switch (SQL Server 2000) is not taken for an obstacle.
    EXPECT_TRUE(install::obstacles(listening(L"", std::nullopt, 1433)).empty());
    EXPECT_TRUE(install::obstacles(listening(L"POS", 1533, 1533)).empty());
}

TEST(TillsRoute, PortsAreWholeNumbersFromOneTo65535)
{
    EXPECT_EQ(install::port_number(L"1433"), 1433);
    EXPECT_EQ(install::port_number(L"65535"), 65535);
    for (const wchar_t* text : {L"", L"0", L"65536", L"14a3", L"-1", L" 1433", L"123456"})
        EXPECT_EQ(install::port_number(text), std::nullopt) << text;
}

}  // namespace
