// File operations with the semantics of the kernel32 calls of the same names.
// None throws.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// A file operation's outcome: the system's own message when it failed.
struct FileOutcome {
    bool succeeded = false;
    std::wstring system_message;  // e.g. "Access is denied."; empty on success
};

bool file_exists(const std::wstring& path);  // true for a file, false for a folder or nothing
FileOutcome copy_file(const std::wstring& existing, const std::wstring& target, bool fail_if_exists);
bool delete_file(const std::wstring& path);
bool set_file_attributes(const std::wstring& path, uint32_t attributes);

// True when both paths name the same place once made absolute (relative to
// the working directory) and compared without regard to letter case.
bool same_path(const std::wstring& a, const std::wstring& b);

}  // namespace platform
