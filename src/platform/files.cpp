// File operations on the kernel32 W functions.
#include "files.h"

#include <windows.h>

namespace platform {

bool file_exists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool copy_file(const std::wstring& existing, const std::wstring& target, bool fail_if_exists)
{
    return CopyFileW(existing.c_str(), target.c_str(), fail_if_exists) != FALSE;
}

bool delete_file(const std::wstring& path)
{
    return DeleteFileW(path.c_str()) != FALSE;
}

bool set_file_attributes(const std::wstring& path, uint32_t attributes)
{
    return SetFileAttributesW(path.c_str(), attributes) != FALSE;
}

}  // namespace platform
