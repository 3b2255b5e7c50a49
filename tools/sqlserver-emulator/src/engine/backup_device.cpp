// Backup devices for RESTORE and its HEADERONLY and FILELISTONLY forms.
#include "backup_device.h"

#include "database_files.h"
#include "long_operation.h"
#include "server_identity.h"

#include <cerrno>
#include <fcntl.h>

namespace emulator {

int open_backup_device(const std::u16string& device, const DriveMap& drives, const MessageArgs& args) {
    const auto host = map_windows_path(device, drives);
    if (!host) terminate_with(server_message(3201, {.path = device, .os_error = os_path_not_found}), args);
    const int fd = ::open(host->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) terminate_with(server_message(3201, {.path = device, .os_error = os_error_text(errno)}), args);
    return fd;
}

BackupContents read_backup_device(int fd, const std::u16string& device, const MessageArgs& args) {
    try {
        return read_backup(fd);
    } catch (const MalformedBackup&) {
        terminate_with(server_message(3241, {.path = device}), args);
    }
}

std::u16string version_text(const ServerVersion& version) {
    std::u16string minor = to_u16(version.minor);
    std::u16string build = to_u16(version.build);
    if (minor.size() < 2) minor.insert(0, 2 - minor.size(), u'0');
    if (build.size() < 4) build.insert(0, 4 - build.size(), u'0');
    return to_u16(version.major) + u"." + minor + u"." + build;
}

void check_backup_version(const BackupDescription& description, const MessageArgs& args) {
    // What decides is the database format; a later build of the same major
    // version writes the same one.
    if (description.database_version <= kDatabaseVersion && description.server_version.major <= kServerVersion.major)
        return;
    terminate_with(server_message(3169, {.name = version_text(kServerVersion),
                                         .other = version_text(description.server_version)}),
                   args);
}

}  // namespace emulator
