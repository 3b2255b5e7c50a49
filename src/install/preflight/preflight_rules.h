// The pre-flight's rules over what the server answered: backup headers and
// file lists, file existence, paths and the room an install needs. No server
// and no window here, so every rule is tested on its own.
#pragma once

#include "platform/odbc/query_result.h"
#include "install/server/server_facts.h"
#include "install/server/server_version.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace install {

// The first backup set in a RESTORE HEADERONLY answer.
struct BackupSet {
    int backup_type = 0;                     // 1: a full database backup
    std::optional<ServerVersion> written_by;  // SoftwareVersionMajor/Minor/Build; nullopt when not given
};

// The set at Position 1 (or the first row); nullopt when there is none.
std::optional<BackupSet> first_backup_set(const platform::QueryResult& header);

// RESTORE FILELISTONLY's rows: LogicalName, PhysicalName, Type, Size (bytes).
std::vector<DatabaseFile> backup_files(const platform::QueryResult& file_list);

// sysaltfiles' rows: name, filename, size (8-KB pages), groupid (0 for a log).
// Older servers pad the names with blanks; they are trimmed.
std::vector<DatabaseFile> database_files(const platform::QueryResult& rows);

// The logical files the template's restore moves: mirvox_data and mirvox_log.
extern const std::vector<std::wstring> template_logical_files;

// True when `files` are exactly the template's two logical files (names
// compared without regard to case). Any other file would be restored to the
// place the backup names, on a server the operator did not choose it for.
bool holds_template_files(const std::vector<DatabaseFile>& files);

// "a, b, c": the logical names, for a message.
std::wstring logical_names(const std::vector<DatabaseFile>& files);

// True when both paths name the same file on the server: letter case and
// repeated separators do not count.
bool same_server_file(const std::wstring& a, const std::wstring& b);

// What xp_fileexist answered for one path.
struct FileExistence {
    bool file = false;
    bool directory = false;
};

// xp_fileexist's row (File Exists, File is a Directory, ...), read by
// position; nullopt when the answer has no row.
std::optional<FileExistence> file_existence(const platform::QueryResult& answer);

// What the data path's drive must have free: each restored file at no less
// than the size CREATE DATABASE first gives it, and, when one is taken, the
// safety backup at the size of the old database's data files.
int64_t bytes_needed(const std::vector<DatabaseFile>& template_files,
                     const std::vector<DatabaseFile>& old_database_files, bool safety_backup);

// The MB free that xp_fixeddrives reports for the drive of `path`, read by
// position (the column names are in the server's language); nullopt when
// the path has no drive letter or the server does not list its drive.
std::optional<int64_t> free_megabytes(const platform::QueryResult& drives, const std::wstring& path);

// Bytes as whole megabytes, rounded up.
int64_t whole_megabytes(int64_t bytes);

}  // namespace install
