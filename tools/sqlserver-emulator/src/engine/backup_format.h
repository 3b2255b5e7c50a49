// The stand-in's backup file: a magic line, a length-prefixed description
// (database name, logical files, tables and rows), the data file's bytes, and
// the log file's size as the last eight bytes.
#pragma once

#include "catalog.h"
#include "file_copy.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace emulator {

struct BackupDescription {
    std::u16string database;
    std::vector<DatabaseFile> files;  // logical names and original paths; no host paths
    std::map<std::u16string, Table, LessCi> tables;
    uint64_t data_bytes = 0;
};

// Not a backup of this format, or a truncated one.
struct MalformedBackup {};

// Writes a backup of `description` with the bytes of `data_file` (empty path:
// no bytes) and the given log size, streaming the data. Returns false when
// progress asked to stop. Throws std::system_error on file failures.
bool write_backup(int backup_fd, BackupDescription description, const std::filesystem::path& data_file,
                  uint64_t log_bytes, const CopyProgress& progress);

struct BackupContents {
    BackupDescription description;
    uint64_t data_offset = 0;  // where the data file's bytes start
    uint64_t log_bytes = 0;
};

// Reads the description of the backup open at `backup_fd`. Throws MalformedBackup.
BackupContents read_backup(int backup_fd);

}  // namespace emulator
