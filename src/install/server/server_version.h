// SQL Server versions as SERVERPROPERTY('ProductVersion') and a backup's
// header give them, and what each version can be sent.
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace install {

struct ServerVersion {
    int major = 0;
    int minor = 0;
    int build = 0;

    auto operator<=>(const ServerVersion&) const = default;
};

// "15.0.2000.5" or "8.00.2039": the first three numbers; nullopt when the
// text does not start with major.minor.build.
std::optional<ServerVersion> parse_server_version(std::wstring_view text);

// "15.0.2000".
std::wstring version_text(ServerVersion version);

// SQL Server 2005 (9.0) brought CREATE LOGIN with its password policy and
// BACKUP ... WITH COPY_ONLY; older servers know only sp_addlogin and plain backups.
inline bool knows_create_login(ServerVersion version)
{
    return version.major >= 9;
}

}  // namespace install
