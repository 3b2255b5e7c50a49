// What the stand-in reports itself to be: SQL Server 2019 RTM on a Chinese
// Windows, with the collation its front end announces at login.
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

// 15.0.2000.5 is SQL Server 2019 RTM.
inline constexpr ServerVersion kServerVersion{15, 0, 2000};
inline constexpr char16_t kProductVersion[] = u"15.0.2000.5";
// The on-disk format of that version's databases (904 for SQL Server 2019).
inline constexpr int32_t kDatabaseVersion = 904;

inline constexpr char16_t kServerCollationName[] = u"Chinese_PRC_CI_AS";
inline constexpr int32_t kServerCollationLcid = 2052;

}  // namespace emulator
