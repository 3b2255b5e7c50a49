// What the installer learns from the server about databases, logins and
// backup files, in the shapes the pipeline works with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace install {

// A database file, as sysaltfiles or a backup's file list names it.
struct DatabaseFile {
    std::wstring logical_name;
    std::wstring physical_name;  // the path on the server's machine
    int64_t size_bytes = 0;
    bool log = false;            // a log file, not a data file
};

// A SQL Server login as the server keeps it: enough to make it again with
// the same SID (so the users mapped to it in databases find it again) and
// the same password, which only the shop knows.
struct LoginRecord {
    std::wstring name;
    std::wstring default_database;
    std::wstring default_language;
    std::wstring sid;            // hexadecimal digits, without 0x
    std::wstring password_hash;  // hexadecimal digits, without 0x
    std::vector<std::wstring> server_roles;  // the fixed server roles it is a member of
    bool disabled = false;
    bool policy_checked = false;
    bool expiration_checked = false;

    bool operator==(const LoginRecord&) const = default;
};

}  // namespace install
