// The install pipeline: one press of Install, from the preconditions to the
// success report or the install failure path.
#pragma once

#include "install/install_form.h"

#include <string>

namespace app {
struct InstallSettings;
}
namespace platform {
class Prompts;
class Transaction;
}

namespace install {

class RunJournal;
struct InstallReport;

// How a run ended; exactly one per run. Only `completed` is a success.
enum class InstallOutcome {
    completed,
    statement_failed,      // a statement failed: the install failure path ran
    template_missing,      // no file at the template path
    connection_failed,     // the administrator could not connect
    declined,              // the operator did not retype the check code
    old_database_in_use,   // the application login still uses the old database
    name_refused,          // a name in dbinstall.ini is not a regular identifier
    refused,               // the pre-flight found a problem; nothing on the server was changed
};

struct InstallContext {
    InstallForm& form;
    platform::Prompts& prompts;
    platform::Transaction& sqlca;
    const app::InstallSettings& settings;
    std::wstring app_name;  // gs_appname: title of the installer's own message boxes
    // Back the old database up before it is dropped, so that a failure can put it back.
    bool take_safety_backup = true;
    // Where the run's record goes (log lines, message boxes, statements,
    // result); none when null.
    RunJournal* journal = nullptr;
    // Filled with what the run did when it ends; none when null.
    InstallReport* report = nullptr;
};

// The outcome as one word, as the log and the result document name it:
// "completed", "failed", "template_missing", "refused", ...
std::wstring outcome_name(InstallOutcome outcome);

// Runs the whole installation synchronously; every outcome has already been
// reported to the operator when it returns.
InstallOutcome wf_installdb(InstallContext& context);

}  // namespace install
