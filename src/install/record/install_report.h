// What a run did, for a deployment tool to read: each phase and how long it
// took, where it ended, what the server said, the safety backup, what became
// of the old database, and the registry values written at the end.
#pragma once

#include "install/record/check_report.h"
#include "install/server/server_version.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace install {

struct PhaseTime {
    std::wstring name;  // "preconditions", "connect", "preflight", "old_database", "create_database",
                        // "restore", "login", "store_mode", "verification", "completion", "rollback"
    int64_t milliseconds = 0;
};

enum class OldDatabaseFate {
    unknown,   // the run ended before it looked for one
    absent,    // there was none
    kept,      // there was one, and it is as it was (declined, refused, in use, failed before the drop)
    replaced,  // dropped and replaced by the new database
    restored,  // dropped, and put back from its safety backup after a failure
    lost,      // dropped, and could not be put back
};

struct InstallReport {
    std::vector<PhaseTime> phases;
    std::optional<std::wstring> failed_phase;  // the phase where an unsuccessful run ended
    long error_number = 0;                     // the server's, for a failed statement or connect
    std::wstring error_text;
    std::wstring message;                      // the last message box's text: what the operator was told
    std::optional<ServerVersion> server_version;
    std::optional<std::wstring> safety_backup;
    OldDatabaseFate old_database = OldDatabaseFate::unknown;
    bool alias_written = false;
    std::wstring alias;  // the client alias's data, once the run chose it
    bool detection_key_written = false;
    std::optional<CheckReport> check;  // a dry run's findings; none for an install
};

}  // namespace install
