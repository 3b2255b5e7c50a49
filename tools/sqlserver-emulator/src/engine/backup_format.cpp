// Writing and reading the backup file layout.
#include "backup_format.h"

#include "datetime.h"
#include "guid.h"
#include "record_io.h"

#include <algorithm>
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

// Both formats' magic lines have the same length.
constexpr char magic_v1[] = "SQLSERVER-EMULATOR-BACKUP 1\n";
constexpr char magic_v2[] = "SQLSERVER-EMULATOR-BACKUP 2\n";
constexpr size_t magic_size = sizeof(magic_v2) - 1;
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

void optional_record(std::ostream& out, const char16_t* key, const std::optional<std::u16string>& value) {
    if (value) write_record(out, {key, *value});
}

void optional_record(std::ostream& out, const char16_t* key, const std::optional<DateTime>& value) {
    if (value) write_record(out, {key, datetime_text(*value)});
}

std::string describe(const BackupDescription& description) {
    std::ostringstream out;
    write_record(out, {u"database", description.database});
    write_record(out, {u"software_version", to_u16(description.server_version.major),
                       to_u16(description.server_version.minor), to_u16(description.server_version.build)});
    write_record(out, {u"database_version", to_u16(description.database_version)});
    optional_record(out, u"name", description.name);
    optional_record(out, u"description", description.description);
    optional_record(out, u"user_name", description.user_name);
    optional_record(out, u"server_name", description.server_name);
    optional_record(out, u"machine_name", description.machine_name);
    optional_record(out, u"database_created", description.database_created);
    optional_record(out, u"started", description.started);
    write_record(out, {u"copy_only", description.copy_only ? u"1" : u"0"});
    write_record(out, {u"checksums", description.checksums ? u"1" : u"0"});
    if (description.backup_set) write_record(out, {u"backup_set", guid_text(*description.backup_set)});
    for (size_t i = 0; i < description.files.size(); ++i) {
        const DatabaseFile& file = description.files[i];
        Record record{u"file", file.logical, file.filename, file.kind == FileKind::data ? u"data" : u"log",
                      to_u16(file.max_pages), to_u16(file.growth), file.growth_percent ? u"%" : u"pages"};
        if (i < description.file_sizes.size()) record.push_back(to_u16(static_cast<int64_t>(description.file_sizes[i])));
        write_record(out, record);
    }
    write_record(out, {u"owner_sid", hex_text(description.owner_sid)});
    write_record(out, {u"user_access", to_u16(static_cast<int32_t>(description.user_access))});
    write_record(out, {u"compatibility_level", to_u16(description.compatibility_level)});
    for (const auto& user : description.users)
        write_record(out, {u"user", user.name, to_u16(user.principal_id), hex_text(user.sid), user.default_schema,
                           user.created ? datetime_text(*user.created) : u""});
    write_tables(out, description.tables);
    write_record(out, {u"data_bytes", to_u16(static_cast<int64_t>(description.data_bytes))});
    return out.str();
}

// What only the end of a backup knows. The time is a placeholder when the
// length alone matters.
std::string trailer(const BackupDescription& description) {
    std::ostringstream out;
    write_record(out, {u"finished", datetime_text(description.finished.value_or(DateTime{}))});
    return out.str();
}

DateTime date_field(const std::u16string& field) {
    const auto value = parse_datetime(field);
    if (!value) throw MalformedBackup{};
    return *value;
}

int32_t int_field(const std::u16string& field) { return static_cast<int32_t>(number_field(field)); }

Binary binary_field(const std::u16string& field) {
    auto bytes = field.starts_with(u"0x") ? parse_hex_digits(std::u16string_view(field).substr(2)) : std::nullopt;
    if (!bytes) throw MalformedBackup{};
    return std::move(*bytes);
}

DatabaseUser user_record(const Record& r) {
    DatabaseUser user{r[1], int_field(r[2]), binary_field(r[3]), r[4], std::nullopt};
    if (!r[5].empty()) user.created = date_field(r[5]);
    return user;
}

// Applies one header record of a format 2 description; false when the record is not one.
bool read_header_record(const Record& r, BackupDescription& description) {
    const std::u16string& key = r[0];
    if (r.size() == 4 && key == u"software_version") {
        description.server_version = {int_field(r[1]), int_field(r[2]), int_field(r[3])};
        return true;
    }
    if (r.size() == 6 && key == u"user") {
        description.users.push_back(user_record(r));
        return true;
    }
    if (r.size() != 2) return false;
    if (key == u"database_version") description.database_version = int_field(r[1]);
    else if (key == u"owner_sid") description.owner_sid = binary_field(r[1]);
    else if (key == u"user_access") description.user_access = static_cast<UserAccess>(int_field(r[1]));
    else if (key == u"compatibility_level") description.compatibility_level = int_field(r[1]);
    else if (key == u"name") description.name = r[1];
    else if (key == u"description") description.description = r[1];
    else if (key == u"user_name") description.user_name = r[1];
    else if (key == u"server_name") description.server_name = r[1];
    else if (key == u"machine_name") description.machine_name = r[1];
    else if (key == u"database_created") description.database_created = date_field(r[1]);
    else if (key == u"started") description.started = date_field(r[1]);
    else if (key == u"copy_only") description.copy_only = r[1] == u"1";
    else if (key == u"checksums") description.checksums = r[1] == u"1";
    else if (key == u"backup_set") {
        description.backup_set = parse_guid(r[1]);
        if (!description.backup_set) throw MalformedBackup{};
    } else return false;
    return true;
}

DatabaseFile file_record(const Record& r) {
    const FileKind kind = r[3] == u"log" ? FileKind::log : FileKind::data;
    DatabaseFile file{r[1], r[2], {}, kind, default_max_pages(kind)};
    if (r.size() >= 7) {
        file.max_pages = int_field(r[4]);
        file.growth = int_field(r[5]);
        file.growth_percent = r[6] == u"%";
    }
    return file;
}

BackupDescription parse_description(const std::string& text, int format) {
    BackupDescription description;
    std::istringstream in(text);
    while (const auto record = read_record(in)) {
        const auto& r = *record;
        if (r[0] == u"database" && r.size() == 2) description.database = r[1];
        else if (r[0] == u"file" && r.size() == (format == 1 ? 4u : 7u)) description.files.push_back(file_record(r));
        else if (r[0] == u"file" && format == 2 && r.size() == 8) {
            description.files.push_back(file_record(r));
            description.file_sizes.push_back(static_cast<uint64_t>(number_field(r[7])));
        }
        else if (r[0] == u"data_bytes" && r.size() == 2) description.data_bytes = static_cast<uint64_t>(number_field(r[1]));
        else if (format == 2 && read_header_record(r, description)) continue;
        else if (!read_table_record(r, description.tables)) throw MalformedBackup{};
    }
    if (description.database.empty() || description.files.empty()) throw MalformedBackup{};
    if (!description.file_sizes.empty() && description.file_sizes.size() != description.files.size())
        throw MalformedBackup{};
    return description;
}

size_t first_data_file(const BackupDescription& description) {
    for (size_t i = 0; i < description.files.size(); ++i)
        if (description.files[i].kind == FileKind::data) return i;
    return description.files.size();
}

}  // namespace

uint64_t backup_file_size(const BackupDescription& description) {
    return magic_size + 8 + describe(description).size() + description.data_bytes + 8 + 8 + trailer(description).size();
}

uint64_t stored_data_bytes(const std::filesystem::path& data_file) {
    const int fd = ::open(data_file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), data_file.string());
    // Hop from data range to data range; a file system that knows no holes
    // answers with the whole file as one range.
    off_t end = 0;
    for (off_t at = 0;;) {
        const off_t data = ::lseek(fd, at, SEEK_DATA);
        if (data < 0) break;
        const off_t hole = ::lseek(fd, data, SEEK_HOLE);
        if (hole <= data) break;
        end = hole;
        at = hole;
    }
    ::close(fd);
    return static_cast<uint64_t>(end);
}

bool write_backup(int backup_fd, BackupDescription description, const std::filesystem::path& data_file,
                  uint64_t log_bytes, const CopyProgress& progress) {
    int data_fd = -1;
    if (!data_file.empty()) {
        description.data_bytes = stored_data_bytes(data_file);
        data_fd = ::open(data_file.c_str(), O_RDONLY | O_CLOEXEC);
        if (data_fd < 0) throw std::system_error(errno, std::generic_category(), data_file.string());
    }
    try {
        const std::string text = describe(description);
        write_all(backup_fd, magic_v2, magic_size);
        write_u64(backup_fd, text.size());
        write_all(backup_fd, text.data(), text.size());
        const bool finished = data_fd < 0 || copy_bytes(data_fd, 0, backup_fd, description.data_bytes, progress);
        if (data_fd >= 0) ::close(data_fd);
        data_fd = -1;
        if (!finished) return false;
        write_u64(backup_fd, log_bytes);
        if (!description.finished) description.finished = local_now();
        const std::string end = trailer(description);
        write_u64(backup_fd, end.size());
        write_all(backup_fd, end.data(), end.size());
        return true;
    } catch (...) {
        if (data_fd >= 0) ::close(data_fd);
        throw;
    }
}

BackupContents read_backup(int backup_fd) {
    char header[magic_size];
    if (!read_exact(backup_fd, 0, header, magic_size)) throw MalformedBackup{};
    const int format = std::memcmp(header, magic_v2, magic_size) == 0   ? 2
                       : std::memcmp(header, magic_v1, magic_size) == 0 ? 1
                                                                         : 0;
    if (format == 0) throw MalformedBackup{};
    const uint64_t text_size = read_u64(backup_fd, magic_size);
    if (text_size > max_description) throw MalformedBackup{};
    std::string text(text_size, '\0');
    if (!read_exact(backup_fd, magic_size + 8, text.data(), text.size())) throw MalformedBackup{};

    BackupContents contents;
    try {
        contents.description = parse_description(text, format);
    } catch (const std::runtime_error&) {
        throw MalformedBackup{};
    }
    contents.data_offset = magic_size + 8 + text_size;
    struct stat status {};
    if (::fstat(backup_fd, &status) != 0) throw MalformedBackup{};
    contents.backup_bytes = static_cast<uint64_t>(status.st_size);
    const uint64_t log_at = contents.data_offset + contents.description.data_bytes;
    if (log_at < contents.data_offset || log_at + 8 > contents.backup_bytes) throw MalformedBackup{};
    contents.log_bytes = read_u64(backup_fd, log_at);
    if (format == 1) {
        if (contents.backup_bytes != log_at + 8) throw MalformedBackup{};
        return contents;
    }
    if (log_at + 16 > contents.backup_bytes) throw MalformedBackup{};
    const uint64_t end_size = read_u64(backup_fd, log_at + 8);
    if (end_size > max_description || contents.backup_bytes != log_at + 16 + end_size) throw MalformedBackup{};
    std::string end(end_size, '\0');
    if (!read_exact(backup_fd, log_at + 16, end.data(), end.size())) throw MalformedBackup{};
    std::istringstream in(end);
    try {
        while (const auto record = read_record(in)) {
            if ((*record)[0] != u"finished" || record->size() != 2) throw MalformedBackup{};
            contents.description.finished = date_field((*record)[1]);
        }
    } catch (const std::runtime_error&) {
        throw MalformedBackup{};
    }
    return contents;
}

uint64_t restored_file_size(const BackupContents& contents, size_t file_index) {
    if (!contents.description.file_sizes.empty())
        return std::max(contents.description.file_sizes[file_index],
                        file_index == first_data_file(contents.description) ? contents.description.data_bytes : 0);
    const auto& files = contents.description.files;
    for (size_t i = 0; i < files.size(); ++i)
        if (files[i].kind == FileKind::data) return i == file_index ? contents.description.data_bytes : contents.log_bytes;
    return contents.log_bytes;
}

}  // namespace emulator
