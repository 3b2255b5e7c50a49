// What a run has asked the server to change, in order: what a rollback must
// look at, and what the run's record on disk keeps for the next start.
#pragma once

#include "install/server/server_facts.h"

#include <optional>
#include <string>
#include <vector>

namespace install {

// A statement counts from the moment it is sent, since a dropped connection
// leaves its outcome unknown: the rollback finds out from the catalog.
struct ServerChanges {
    std::optional<std::wstring> safety_backup;     // the old database's backup file, once written
    std::optional<std::wstring> old_access_mode;  // the old database's user access before others were kept out
    bool old_database_drop_sent = false;
    std::vector<LoginRecord> dropped_logins;       // as they were before their drop was sent
    bool database_create_sent = false;
    bool login_create_sent = false;                // the application login

    bool any() const
    {
        return old_access_mode || old_database_drop_sent || !dropped_logins.empty() || database_create_sent ||
               login_create_sent;
    }
};

}  // namespace install
