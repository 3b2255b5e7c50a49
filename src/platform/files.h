// File operations with the semantics of the kernel32 calls of the same names.
// Each returns true on success; none throws.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

bool file_exists(const std::wstring& path);  // true for a file, false for a folder or nothing
bool copy_file(const std::wstring& existing, const std::wstring& target, bool fail_if_exists);
bool delete_file(const std::wstring& path);
bool set_file_attributes(const std::wstring& path, uint32_t attributes);

}  // namespace platform
