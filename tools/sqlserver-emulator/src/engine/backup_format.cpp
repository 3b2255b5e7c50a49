// Writing and reading the backup file layout.
#include "backup_format.h"

#include "record_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <sys/stat.h>
#include <unistd.h>

namespace emulator {
namespace {

constexpr char magic[] = "SQLSERVER-EMULATOR-BACKUP 1\n";
constexpr size_t magic_size = sizeof(magic) - 1;
constexpr uint64_t max_description = uint64_t{1} << 30;

void write_all(int fd, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t put = ::write(fd, bytes, size);
        if (put < 0) throw std::system_error(errno, std::generic_category(), "write");
        bytes += put;
        size -= static_cast<size_t>(put);
    }
}

void write_u64(int fd, uint64_t value) {
    unsigned char bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    write_all(fd, bytes, sizeof bytes);
}

bool read_exact(int fd, uint64_t offset, void* data, size_t size) {
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t got = ::pread(fd, bytes, size, static_cast<off_t>(offset));
        if (got <= 0) return false;
        bytes += got;
        offset += static_cast<uint64_t>(got);
        size -= static_cast<size_t>(got);
    }
    return true;
}

uint64_t read_u64(int fd, uint64_t offset) {
    unsigned char bytes[8];
    if (!read_exact(fd, offset, bytes, sizeof bytes)) throw MalformedBackup{};
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

std::string describe(const BackupDescription& description) {
    std::ostringstream out;
    write_record(out, {u"database", description.database});
    for (const auto& file : description.files)
        write_record(out, {u"file", file.logical, file.filename, file.kind == FileKind::data ? u"data" : u"log"});
    write_tables(out, description.tables);
    write_record(out, {u"data_bytes", to_u16(static_cast<int64_t>(description.data_bytes))});
    return out.str();
}

BackupDescription parse_description(const std::string& text) {
    BackupDescription description;
    std::istringstream in(text);
    while (const auto record = read_record(in)) {
        const auto& r = *record;
        if (r[0] == u"database" && r.size() == 2) description.database = r[1];
        else if (r[0] == u"file" && r.size() == 4) {
            const FileKind kind = r[3] == u"log" ? FileKind::log : FileKind::data;
            description.files.push_back({r[1], r[2], {}, kind, default_max_pages(kind)});
        }
        else if (r[0] == u"data_bytes" && r.size() == 2) description.data_bytes = static_cast<uint64_t>(number_field(r[1]));
        else if (!read_table_record(r, description.tables)) throw MalformedBackup{};
    }
    if (description.database.empty() || description.files.empty()) throw MalformedBackup{};
    return description;
}

}  // namespace

bool write_backup(int backup_fd, BackupDescription description, const std::filesystem::path& data_file,
                  uint64_t log_bytes, const CopyProgress& progress) {
    int data_fd = -1;
    if (!data_file.empty()) {
        data_fd = ::open(data_file.c_str(), O_RDONLY | O_CLOEXEC);
        if (data_fd < 0) throw std::system_error(errno, std::generic_category(), data_file.string());
        struct stat status {};
        ::fstat(data_fd, &status);
        description.data_bytes = static_cast<uint64_t>(status.st_size);
    }
    try {
        const std::string text = describe(description);
        write_all(backup_fd, magic, magic_size);
        write_u64(backup_fd, text.size());
        write_all(backup_fd, text.data(), text.size());
        const bool finished = data_fd < 0 || copy_bytes(data_fd, 0, backup_fd, description.data_bytes, progress);
        if (data_fd >= 0) ::close(data_fd);
        if (!finished) return false;
        write_u64(backup_fd, log_bytes);
        return true;
    } catch (...) {
        if (data_fd >= 0) ::close(data_fd);
        throw;
    }
}

BackupContents read_backup(int backup_fd) {
    char header[magic_size];
    if (!read_exact(backup_fd, 0, header, magic_size) || std::memcmp(header, magic, magic_size) != 0)
        throw MalformedBackup{};
    const uint64_t text_size = read_u64(backup_fd, magic_size);
    if (text_size > max_description) throw MalformedBackup{};
    std::string text(text_size, '\0');
    if (!read_exact(backup_fd, magic_size + 8, text.data(), text.size())) throw MalformedBackup{};

    BackupContents contents;
    try {
        contents.description = parse_description(text);
    } catch (const std::runtime_error&) {
        throw MalformedBackup{};
    }
    contents.data_offset = magic_size + 8 + text_size;
    struct stat status {};
    if (::fstat(backup_fd, &status) != 0 ||
        static_cast<uint64_t>(status.st_size) != contents.data_offset + contents.description.data_bytes + 8)
        throw MalformedBackup{};
    contents.log_bytes = read_u64(backup_fd, contents.data_offset + contents.description.data_bytes);
    return contents;
}

}  // namespace emulator
