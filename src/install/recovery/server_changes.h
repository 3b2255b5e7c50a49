// What a run has asked the server to change, in order: what a rollback must
// look at.
#pragma once

#include "install/server/server_facts.h"

#include <optional>
#include <string>
#include <vector>

namespace install {

// A statement counts from the moment it is sent, since a dropped connection
// leaves its outcome unknown.
struct ServerChanges {
    std::optional<std::wstring> safety_backup;  // the old database's backup file, once written
    bool old_database_dropped = false;          // the drop succeeded
    std::vector<LoginRecord> dropped_logins;    // as they were before their drop was sent
    bool database_create_sent = false;
    bool login_create_sent = false;             // the application login

    bool any() const
    {
        return old_database_dropped || !dropped_logins.empty() || database_create_sent || login_create_sent;
    }
};

}  // namespace install
