// The record of a run in progress, kept on disk as
// %ProgramData%\Korvena\dbinstall.run from before its first change to the
// server until it ends:
// what it is about to change or has changed, the safety backup, the old
// database's files and the logins it dropped. A record found at the start of
// the next run means that run was interrupted (ended by a deployment tool,
// the console closed, the computer switched off): it is put back first.
#pragma once

#include "install/recovery/server_changes.h"
#include "install/server/server_facts.h"
#include "install/server/server_version.h"
#include "platform/outcome.h"

#include <optional>
#include <string>
#include <vector>

namespace install {

struct RunRecord {
    std::wstring server;  // as the form named it
    std::wstring database;
    ServerVersion server_version;
    std::vector<DatabaseFile> old_database_files;
    ServerChanges changes;
    std::wstring restore_source;  // the file the restore reads
    bool template_staged = false;  // restore_source is the run's own copy, not the operator's file
};

// The record as UTF-8 text of tab-separated lines, and back; nullopt for a
// text that is not such a record.
std::string record_text(const RunRecord& record);
std::optional<RunRecord> parse_record(const std::string& text);

std::wstring run_record_file();

// Written whole or not at all, so an interruption never leaves half a record.
platform::Outcome write_run_record(const RunRecord& record);

// The record of an earlier run, or nullopt when there is none (or none that can be read).
std::optional<RunRecord> read_run_record();

void remove_run_record();

}  // namespace install
