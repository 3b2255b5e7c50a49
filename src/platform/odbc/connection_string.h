// The connection string handed to SQLDriverConnectW.
#pragma once

#include <optional>
#include <string>

namespace platform {

struct ConnectionSettings {
    std::wstring driver;
    std::wstring server;    // as typed: host, host,port or host\instance
    std::wstring database;
    std::wstring login;
    std::wstring password;
};

// A value in braces, so that no value (a password holding `;`) can end
// early and add attributes. Drivers read braces two ways: the ODBC rule
// doubles each `}` inside; FreeTDS ends the value at the first `};` and
// takes every other `}` as it is, so a value holding `};` has no escaped
// form there (nullopt).
std::optional<std::wstring> escape_connection_value(const std::wstring& value, bool driver_is_freetds);

// DRIVER, SERVER, DATABASE, UID and PWD, every value escaped for the driver;
// FreeTDS also gets TDS_Version=7.4, which the SQL Server versions we install
// onto speak. Nullopt when a value cannot be escaped for the driver.
std::optional<std::wstring> build_connection_string(const ConnectionSettings& settings);

}  // namespace platform
