// Backup devices for RESTORE and its HEADERONLY and FILELISTONLY forms.
#include "backup_device.h"

#include "database_files.h"
#include "long_operation.h"
#include "server_release.h"
#include "service_access.h"
#include "windows_paths.h"

#include <cerrno>
#include <fcntl.h>

namespace emulator {

int open_backup_device(const std::u16string& device, const EngineOptions& options, const MessageArgs& args) {
    if (!service_may_open(device, options))
        terminate_with(server_message(3201, {.path = device, .os_error = os_access_denied}), args);
    const auto host = map_windows_path(device, options.drives);
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

namespace {

[[noreturn]] void refuse(const BackupDescription& description, const ServerVersion& server, const MessageArgs& args) {
    terminate_with(server_message(3169, {.name = version_text(server), .other = version_text(description.server_version)}),
                   args);
}

}  // namespace

// What decides is the release and the database format; a later build of the
// same release writes the same one.
void refuse_newer_backup(const BackupDescription& description, const ServerVersion& server, const MessageArgs& args) {
    if (written_by_newer(server, description.server_version, description.database_version))
        refuse(description, server, args);
}

void refuse_unrestorable_backup(const BackupDescription& description, const ServerVersion& server,
                                const MessageArgs& args) {
    if (!can_restore(server, description.server_version, description.database_version))
        refuse(description, server, args);
}

}  // namespace emulator
