// Machine facts from kernel32 and user32.
#include "machine.h"

#include <windows.h>
#include <shellapi.h>

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

std::wstring environment_variable(const std::wstring& name)
{
    const DWORD size = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name.c_str(), value.data(), size);
    value.resize(length < size ? length : 0);
    return value;
}

std::vector<std::wstring> command_line_arguments()
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) return {};
    std::vector<std::wstring> result(arguments + (count > 0 ? 1 : 0), arguments + count);
    LocalFree(arguments);
    return result;
}

std::wstring program_folder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::optional<ScreenSize> display_size()
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (width <= 0 || height <= 0) return std::nullopt;
    return ScreenSize{width, height};
}

}  // namespace platform
