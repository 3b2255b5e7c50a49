// The application object: the process-wide globals, the connection object
// SQLCA and the message object, alive from start-up to the end of the process.
#pragma once

#include "platform/message_object.h"
#include "platform/odbc/transaction.h"

#include <string>

namespace app {

class Application {
public:
    // Create step: SQLCA and the message object come into being here.
    Application() = default;

    // Open step: sets the globals, before any window exists. Opening the main
    // window is the caller's next step (the application cannot name its
    // windows without depending on them).
    void open();

    std::wstring gs_appname;  // display name: the main window's caption, message box titles
    std::wstring gs_dbname;   // built-in database name, the default of is_dbname

    platform::Transaction SQLCA;
    platform::MessageObject message;
};

}  // namespace app
