// What a run of the install pipeline is given: the form it reads and
// reports to, the prompts, the connection, the settings and where its
// record goes.
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

// A dry run (--check): the pipeline asks everything an install would ask and
// changes nothing. What an install would be allowed to do comes from here
// instead of a question to the operator.
struct DryRun {
    bool drop_existing = false;     // an old database may be replaced
    bool configure_server = false;  // the server's settings may be changed for the tills
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
    // A dry run instead of an install; none when null.
    const DryRun* dry_run = nullptr;
};

}  // namespace install
