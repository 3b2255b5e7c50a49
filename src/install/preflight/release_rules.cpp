// The release rules, as Microsoft documents them.
#include "install/preflight/release_rules.h"

namespace install {

bool newer_release(ServerVersion backup, ServerVersion server)
{
    return backup.major > server.major || (backup.major == server.major && backup.minor > server.minor);
}

// "Copy Databases with Backup and Restore" and "RESTORE Statements
// (Transact-SQL)", compatibility support: SQL Server 2016 and later restore
// user database backups of SQL Server 2008 and later; 2012 and 2014 those of
// 2005 and later; 2008 and 2008 R2 those of 2000 and later; 2005 those of
// 7.0 and later.
ServerVersion oldest_restorable_release(ServerVersion server)
{
    if (server.major >= 13)
        return {10, 0, 0};
    if (server.major >= 11)
        return {9, 0, 0};
    if (server.major >= 10)
        return {8, 0, 0};
    return {7, 0, 0};
}

// "Editions and supported features of SQL Server", scale limits: Express's
// maximum relational database size is 10 GB from SQL Server 2008 R2 on, and
// was 4 GB in 2005 and 2008; log files are not counted.
std::optional<int64_t> express_data_limit_mb(ServerVersion server)
{
    if (server.major < 9)
        return std::nullopt;
    if (server.major > 10 || (server.major == 10 && server.minor >= 50))
        return 10240;
    return 4096;
}

}  // namespace install
