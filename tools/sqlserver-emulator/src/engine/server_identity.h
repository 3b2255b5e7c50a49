// What the stand-in reports itself to be: a SQL Server version (SQL Server
// 2019 RTM unless --product-version says otherwise) on a Chinese Windows, with
// the collation its front end announces at login.
#pragma once

#include <compare>
#include <cstdint>

namespace emulator {

// A SQL Server version as backups record it and LOGINACK announces it.
struct ServerVersion {
    int32_t major = 0;
    int32_t minor = 0;
    int32_t build = 0;
    auto operator<=>(const ServerVersion&) const = default;
};

// The four parts of SERVERPROPERTY('ProductVersion').
struct ProductVersion {
    ServerVersion version;
    int32_t revision = 0;
};

// 15.0.2000.5 is SQL Server 2019 RTM, the version the stand-in plays by default
// and the one that wrote the backups of its first format.
inline constexpr ProductVersion kDefaultProductVersion{{15, 0, 2000}, 5};
inline constexpr ServerVersion kServerVersion = kDefaultProductVersion.version;
// The on-disk format of that version's databases (904 for SQL Server 2019).
inline constexpr int32_t kDatabaseVersion = 904;

inline constexpr char16_t kServerCollationName[] = u"Chinese_PRC_CI_AS";
inline constexpr int32_t kServerCollationLcid = 2052;

}  // namespace emulator
