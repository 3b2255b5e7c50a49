// Where the server reads the template from: the operator's file where it
// lies when the server can open it there, else a copy staged on C:.
#pragma once

#include "install/preflight/refusal.h"
#include "platform/odbc/query_result.h"

#include <optional>

namespace install {

struct InstallRun;

// Holds the template against writes and has the server read its backup
// header where it lies. When the server cannot open it there (error 3201:
// the service account may not read the folder, or does not see the drive),
// checks that C: has room, stages the template and reads the copy's header
// instead. On success sets run.restore_source and leaves the RESTORE
// HEADERONLY answer in `header`; otherwise returns why the install cannot go on.
std::optional<Refusal> find_template_source(InstallRun& run, platform::QueryResult& header);

}  // namespace install
