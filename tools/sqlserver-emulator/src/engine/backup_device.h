// Opening a backup device for reading, with SQL Server's refusals: the
// device cannot be opened (3201, also where the service account may not
// read), it holds no backup (3241), or the backup comes from a server this
// one cannot restore from (3169), each followed by the operation's 3013.
#pragma once

#include "backup_format.h"
#include "engine.h"
#include "messages.h"

#include <string>

namespace emulator {

// A descriptor of the device, for the caller to close.
int open_backup_device(const std::u16string& device, const EngineOptions& options, const MessageArgs& args);

BackupContents read_backup_device(int fd, const std::u16string& device, const MessageArgs& args);

// Refuses a backup written by a newer SQL Server, whose database format this
// one cannot read, as RESTORE FILELISTONLY does.
void refuse_newer_backup(const BackupDescription& description, const ServerVersion& server, const MessageArgs& args);
// Refuses as well a backup of a release too old for this one to upgrade, as
// RESTORE DATABASE does.
void refuse_unrestorable_backup(const BackupDescription& description, const ServerVersion& server,
                                const MessageArgs& args);

// "16.00.1000", as message 3169 shows versions.
std::u16string version_text(const ServerVersion& version);

}  // namespace emulator
