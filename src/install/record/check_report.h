// What a dry run (--check) learnt about the server, the template and the old
// database, and what an install with the same options would do, for the
// result document.
#pragma once

#include "install/server/server_facts.h"
#include "install/server/server_version.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace install {

// What an install with the same options would do to the database.
enum class CheckedAction {
    none,     // it would not go through
    create,   // there is no old database: a new one is made
    replace,  // the old database is backed up, dropped and replaced
};

// What an install would need that a person has to allow.
enum class CheckedNeed {
    drop_consent,          // the old database's drop (--drop-existing)
    server_configuration,  // the server's settings changed and its service restarted (--configure-server)
};

struct CheckReport {
    // The server, as it answered; empty or nullopt where the run ended before asking.
    std::wstring edition;                    // SERVERPROPERTY('Edition')
    std::optional<std::wstring> instance;    // "" for the default instance
    std::optional<bool> sql_logins_enabled;  // mixed authentication
    std::optional<bool> tcp_enabled;         // the instance's TCP/IP switch, when its registry keys are here
    std::optional<int> port;                 // where the tills would reach it over TCP/IP
    // The data path's drive, in MB; nullopt when it was not measured.
    std::optional<int64_t> free_megabytes;
    std::optional<int64_t> needed_megabytes;
    // The template, as the server read it.
    std::optional<ServerVersion> template_written_by;
    std::vector<DatabaseFile> template_files;
    // The old database.
    std::optional<bool> old_database_present;
    int64_t old_database_bytes = 0;
    std::optional<long> old_database_sessions;  // every session in it
    std::optional<long> application_sessions;   // the application login's, for which an install stops
    CheckedAction action = CheckedAction::none;
    std::vector<CheckedNeed> needs;
    std::vector<std::wstring> server_changes;  // what the server lacks for the tills, in the operator's words
};

}  // namespace install
