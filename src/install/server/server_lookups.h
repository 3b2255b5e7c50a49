// What the server is asked about before it is changed: a login as syslogins
// shows it, a file or folder as xp_fileexist sees it on the server's disk.
#pragma once

#include "install/preflight/preflight_rules.h"
#include "install/server/server_facts.h"
#include "install/server/server_version.h"

#include <optional>
#include <string>
#include <vector>

namespace platform {
class Transaction;
}

namespace install {

// Looks `login` up in master.dbo.syslogins (and from SQL Server 2005 on in
// sys.sql_logins): `found` is its whole record, or nullopt when there is no
// such login. False when a query failed (SQLCA holds the server's text).
bool find_login(platform::Transaction& sqlca, const std::wstring& login, ServerVersion server,
                std::optional<LoginRecord>& found);

// The names a single-column query gives for `value`, in the order given.
// False when the query failed (SQLCA holds the server's text).
bool find_names(platform::Transaction& sqlca, const std::wstring& query, const std::wstring& value,
                std::vector<std::wstring>& names);

// Asks xp_fileexist about `path`: `found` is its answer, or nullopt when it
// gave no row. False when the query failed (SQLCA holds the server's text).
bool find_server_file(platform::Transaction& sqlca, const std::wstring& path, std::optional<FileExistence>& found);

}  // namespace install
