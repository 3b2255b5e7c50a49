// File operations on the kernel32 W functions.
#include "files.h"

#include "character_class.h"
#include "system_message.h"

#include <windows.h>

namespace platform {

namespace {

std::wstring full_path(const std::wstring& path)
{
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    full.resize(length < size ? length : 0);
    return full;
}

}  // namespace

bool file_exists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

FileOutcome copy_file(const std::wstring& existing, const std::wstring& target, bool fail_if_exists)
{
    if (CopyFileW(existing.c_str(), target.c_str(), fail_if_exists))
        return {true, {}};
    return {false, system_message(GetLastError())};
}

bool delete_file(const std::wstring& path)
{
    return DeleteFileW(path.c_str()) != FALSE;
}

bool set_file_attributes(const std::wstring& path, uint32_t attributes)
{
    return SetFileAttributesW(path.c_str(), attributes) != FALSE;
}

bool same_path(const std::wstring& a, const std::wstring& b)
{
    return same_text_ignoring_case(full_path(a), full_path(b));
}

}  // namespace platform
