// What the server is asked about before it is changed: a login as syslogins
// shows it, a file or folder as xp_fileexist sees it on the server's disk.
#pragma once

#include "install/preflight/preflight_rules.h"
#include "install/server/server_facts.h"

#include <optional>
#include <string>

namespace platform {
class Transaction;
}

namespace install {

// Looks `login` up in master.dbo.syslogins: `found` is its record, or
// nullopt when there is no such login. False when the query failed (SQLCA
// holds the server's text).
bool find_login(platform::Transaction& sqlca, const std::wstring& login, std::optional<LoginRecord>& found);

// Asks xp_fileexist about `path`: `found` is its answer, or nullopt when it
// gave no row. False when the query failed (SQLCA holds the server's text).
bool find_server_file(platform::Transaction& sqlca, const std::wstring& path, std::optional<FileExistence>& found);

}  // namespace install
