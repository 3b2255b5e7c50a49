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

}  // namespace install
