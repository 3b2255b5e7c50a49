// Database files on the host: sparse creation with O_EXCL, quiet removal.
#include "database_files.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace emulator {

std::optional<ServerMessage> new_file_problem(const std::optional<std::filesystem::path>& host_path,
                                              const std::u16string& windows_path) {
    std::error_code error;
    if (!host_path || !std::filesystem::is_directory(host_path->parent_path(), error))
        return server_message(5133, {.path = windows_path});
    if (std::filesystem::exists(*host_path, error)) return server_message(5170, {.path = windows_path});
    return std::nullopt;
}

void create_sized_file(const std::filesystem::path& path, int64_t size_bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), path.string());
    if (::ftruncate(fd, size_bytes) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(path.c_str());
        throw std::system_error(error, std::generic_category(), path.string());
    }
    ::close(fd);
}

void remove_file_quietly(const std::filesystem::path& path) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

std::u16string os_error_text(int error_number) {
    switch (error_number) {
        case ENOENT: return os_file_not_found;
        case ENOTDIR: return os_path_not_found;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR: return os_access_denied;
        case EEXIST: return u"80(The file exists.)";
        case ENOSPC: return os_disk_full;
        default: return u"31(A device attached to the system is not functioning.)";
    }
}

}  // namespace emulator
