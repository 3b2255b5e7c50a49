// The connection string handed to SQLDriverConnectW: the attributes that
// reach the server and log in, then those that say how the connection is
// encrypted.
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
    bool verify_server_certificate = false;  // read by encryption_attributes only
    // Windows authentication: the process's Windows account logs in, and
    // login and password are not sent.
    bool trusted_connection = false;
};

// A value in braces, so that no value (a password holding `;`) can end
// early and add attributes. Drivers read braces two ways: the ODBC rule
// doubles each `}` inside; FreeTDS ends the value at the first `};` and
// takes every other `}` as it is, so a value holding `};` has no escaped
// form there (nullopt).
std::optional<std::wstring> escape_connection_value(const std::wstring& value, bool driver_is_freetds);

// DRIVER, SERVER, DATABASE, and UID and PWD or, for Windows authentication,
// Trusted_Connection=Yes (every driver the installer picks takes that
// keyword), every value escaped for the driver;
// FreeTDS also gets TDS_Version=7.4, which the SQL Server versions we install
// onto speak. Nullopt when a value cannot be escaped for the driver. Ends in
// ';', so encryption_attributes' text can follow it.
std::optional<std::wstring> build_connection_string(const ConnectionSettings& settings);

// How the connection is encrypted, each attribute ended by ';'. Microsoft's
// ODBC Driver 17 and 18 are told explicitly: Encrypt=yes with
// TrustServerCertificate=yes by default (a shop's server has only its
// self-signed certificate, which Driver 18 would refuse by default), =no when
// the certificate is to be verified. SQL Server Native Client 11.0 gets the
// same two attributes only to verify. Other drivers keep their own defaults
// (""), and cannot verify: nullopt when verifying is asked of them.
std::optional<std::wstring> encryption_attributes(const ConnectionSettings& settings);

}  // namespace platform
