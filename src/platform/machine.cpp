// Machine facts from kernel32 and user32.
#include "machine.h"

#include <windows.h>

namespace platform {

std::wstring computer_name()
{
    wchar_t buffer[250];
    DWORD length = DWORD(std::size(buffer));
    if (!GetComputerNameW(buffer, &length)) return {};
    return std::wstring(buffer, length);
}

std::wstring working_directory()
{
    std::wstring path(1024, L'\0');
    DWORD length = GetCurrentDirectoryW(DWORD(path.size()), path.data());
    if (length >= path.size()) {  // too small: the result is the size needed
        path.resize(length);
        length = GetCurrentDirectoryW(DWORD(path.size()), path.data());
    }
    path.resize(length < path.size() ? length : 0);
    return path;
}

std::optional<ScreenSize> display_size()
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (width <= 0 || height <= 0) return std::nullopt;
    return ScreenSize{width, height};
}

}  // namespace platform
