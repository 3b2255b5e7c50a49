// File operations with the semantics of the kernel32 calls of the same names.
// None throws.
#pragma once

#include "outcome.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {

// Told the bytes copied so far and the total after each piece of a copy;
// false stops the copy.
using CopyProgress = std::function<bool(uint64_t copied, uint64_t total)>;

bool file_exists(const std::wstring& path);  // true for a file, false for a folder or nothing

// Copies `existing` to `target`, replacing a file there, in large sequential
// pieces. A copy that fails or is stopped leaves no target behind.
Outcome copy_file(const std::wstring& existing, const std::wstring& target, const CopyProgress& progress);
bool delete_file(const std::wstring& path);

// The file's bytes, or nullopt when it cannot be read (absent included).
std::optional<std::string> read_whole_file(const std::wstring& path);

// Writes `bytes` to `path` whole or not at all: into a file beside it first,
// flushed, then moved over it. A reader never sees half a file.
Outcome write_file_atomically(const std::wstring& path, const std::string& bytes);
bool set_file_attributes(const std::wstring& path, uint32_t attributes);

// A file held open for reading while others may only read it too: no one
// writes, replaces or deletes it until the hold ends.
class HeldFile {
public:
    // The hold, or null with the system's reason in `failure`.
    static std::unique_ptr<HeldFile> hold(const std::wstring& path, std::wstring& failure);
    ~HeldFile();
    // The file's size in bytes; nullopt when the system cannot tell.
    std::optional<uint64_t> size() const;
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    explicit HeldFile(void* handle) : handle_(handle) {}
    void* handle_;
};

// The path made absolute (relative to the working directory), as another
// process given it would find the same file; the path itself when it cannot be.
std::wstring absolute_path(const std::wstring& path);

// The bytes this account may still write on the volume that holds `folder`
// (a drive's root such as c:\); nullopt when the system cannot tell.
std::optional<uint64_t> free_disk_bytes(const std::wstring& folder);

// True when both paths name the same place once made absolute (relative to
// the working directory) and compared without regard to letter case.
bool same_path(const std::wstring& a, const std::wstring& b);

}  // namespace platform
