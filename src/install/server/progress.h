// The progress of the install's long steps: how a percentage shows beside a
// phase's caption, and the server's progress through a backup or restore
// (STATS = 10), handed to the form as it arrives.
#pragma once

#include "install/install_form.h"
#include "platform/odbc/server_info.h"

#include <optional>
#include <string>

namespace platform {
class Transaction;
}

namespace install {

// "装载系统模板数据库... 40%": the caption with the share done.
std::wstring with_percent(const std::wstring& caption, int percent);

// The percentage of a "N percent processed." message (3211), which the
// server words in its own language; nullopt for any other message.
std::optional<int> percent_processed(const platform::ServerInfo& info);

// While it lives, each 3211 message SQLCA reads moves the form's progress.
class ServerProgress {
public:
    ServerProgress(platform::Transaction& sqlca, InstallForm& form);
    ~ServerProgress();
    ServerProgress(const ServerProgress&) = delete;
    ServerProgress& operator=(const ServerProgress&) = delete;

private:
    platform::Transaction& sqlca_;
};

}  // namespace install
