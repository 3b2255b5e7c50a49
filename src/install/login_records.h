// Logins as syslogins shows them.
#pragma once

#include "server_facts.h"

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

}  // namespace install
