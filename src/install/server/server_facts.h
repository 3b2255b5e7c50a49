// What the installer learns from the server about databases, logins and
// backup files, in the shapes the pipeline works with.
#pragma once

#include <cstdint>
#include <string>

namespace install {

// A database file, as sysaltfiles or a backup's file list names it.
struct DatabaseFile {
    std::wstring logical_name;
    std::wstring physical_name;  // the path on the server's machine
    int64_t size_bytes = 0;
    bool log = false;            // a log file, not a data file
};

// A login as syslogins shows it: enough to make it again.
struct LoginRecord {
    std::wstring name;
    std::wstring default_database;
    bool sysadmin = false;
};

}  // namespace install
