// Opening a backup device for reading, with SQL Server's refusals: the
// device cannot be opened (3201), it holds no backup (3241), or the backup
// comes from a newer server (3169), each followed by the operation's 3013.
#pragma once

#include "backup_format.h"
#include "messages.h"
#include "windows_paths.h"

#include <string>

namespace emulator {

// A descriptor of the device, for the caller to close.
int open_backup_device(const std::u16string& device, const DriveMap& drives, const MessageArgs& args);

BackupContents read_backup_device(int fd, const std::u16string& device, const MessageArgs& args);

// Refuses a backup written by a newer SQL Server, whose database format this
// one cannot read.
void check_backup_version(const BackupDescription& description, const MessageArgs& args);

// "16.00.1000", as message 3169 shows versions.
std::u16string version_text(const ServerVersion& version);

}  // namespace emulator
