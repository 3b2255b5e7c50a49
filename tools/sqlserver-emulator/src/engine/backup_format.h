// The stand-in's backup file: a magic line, a length-prefixed description
// (the backup set's header, the database's files, tables and rows), the data
// file's bytes, the log file's size in eight bytes, and, from format 2 on, a
// length-prefixed trailer with what is known only at the end (the finish
// time). Format 1 files, written before the header was kept, still read.
#pragma once

#include "catalog.h"
#include "file_copy.h"
#include "server_identity.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace emulator {

struct BackupDescription {
    std::u16string database;
    // Logical names, original paths, growth and limits; no host paths.
    std::vector<DatabaseFile> files;
    std::map<std::u16string, Table, LessCi> tables;
    uint64_t data_bytes = 0;

    // The backup set's header. A format 1 backup was written by this stand-in
    // as 15.0.2000 and knows none of the rest.
    ServerVersion server_version = kServerVersion;
    int32_t database_version = kDatabaseVersion;
    std::optional<std::u16string> name;         // BACKUP ... WITH NAME
    std::optional<std::u16string> description;  // BACKUP ... WITH DESCRIPTION
    std::optional<std::u16string> user_name;    // the login that took it
    std::optional<std::u16string> server_name;
    std::optional<std::u16string> machine_name;
    std::optional<DateTime> database_created;
    std::optional<DateTime> started;
    std::optional<DateTime> finished;  // write_backup sets it when empty
    bool copy_only = false;
    bool checksums = false;
    std::optional<Guid> backup_set;
};

// Not a backup of this format, or a truncated one.
struct MalformedBackup {};

// The size of the file write_backup makes of `description` (data_bytes must
// be the data file's size).
uint64_t backup_file_size(const BackupDescription& description);

// Writes a backup of `description` with the bytes of `data_file` (empty path:
// no bytes) and the given log size, streaming the data. Returns false when
// progress asked to stop. Throws std::system_error on file failures.
bool write_backup(int backup_fd, BackupDescription description, const std::filesystem::path& data_file,
                  uint64_t log_bytes, const CopyProgress& progress);

struct BackupContents {
    BackupDescription description;
    uint64_t data_offset = 0;  // where the data file's bytes start
    uint64_t log_bytes = 0;
    uint64_t backup_bytes = 0;  // the whole file
};

// Reads the description of the backup open at `backup_fd`. Throws MalformedBackup.
BackupContents read_backup(int backup_fd);

// The size a file restored from this backup gets: the data bytes for the
// first data file, the log size for the others.
uint64_t restored_file_size(const BackupContents& contents, size_t file_index);

}  // namespace emulator
