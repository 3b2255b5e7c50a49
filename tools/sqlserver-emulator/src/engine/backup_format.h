// The stand-in's backup file: a magic line, a length-prefixed description
// (the backup set's header, the database's files with their sizes, its owner,
// users, tables and rows), the data file's bytes up to the last it holds, the
// log file's size in eight bytes, and, from format 2 on, a length-prefixed
// trailer with what is known only at the end (the finish time). Like SQL
// Server's, a backup carries the pages in use, not the files' empty space:
// a database made large but left empty backs up small and restores to its
// full size. Format 1 files, written before the header was kept, still read.
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
    // Each file's size; empty in backups written before sizes were kept.
    std::vector<uint64_t> file_sizes;
    std::map<std::u16string, Table, LessCi> tables;
    uint64_t data_bytes = 0;  // the data file's bytes the backup holds
    Binary owner_sid;         // empty in backups written before owners were kept: sa's
    std::vector<DatabaseUser> users;
    UserAccess user_access = UserAccess::multi_user;
    int32_t compatibility_level = 0;  // 0: unknown, the writing server's own

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
// be stored_data_bytes of its data file).
uint64_t backup_file_size(const BackupDescription& description);

// How much of a data file a backup stores: up to the end of the last range
// that holds data, so a sparse file's empty tail is left out. Throws
// std::system_error.
uint64_t stored_data_bytes(const std::filesystem::path& data_file);

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

// The size a file restored from this backup gets: its size when backed up;
// for backups that did not keep it, the data bytes for the first data file
// and the log size for the others.
uint64_t restored_file_size(const BackupContents& contents, size_t file_index);

}  // namespace emulator
