// Appending to a log file through kernel32.
#include "log_file.h"

#include "system_message.h"
#include "utf8.h"

#include <windows.h>
#include <shlobj.h>

namespace platform {

namespace {

std::wstring program_data_folder()
{
    PWSTR folder = nullptr;
    std::wstring path = L"C:\\ProgramData";
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &folder)))
        path = folder;
    CoTaskMemFree(folder);
    return path;
}

}  // namespace

std::wstring korvena_data_folder()
{
    return program_data_folder() + L"\\Korvena";
}

FolderCheck secure_korvena_data_folder()
{
    return make_private_folder(korvena_data_folder());
}

std::wstring default_log_file()
{
    return korvena_data_folder() + L"\\dbinstall.log";
}

Outcome LogFile::append(const std::wstring& line)
{
    // Append-only access: each write lands at the end, whoever else appends.
    const auto open = [this] {
        return CreateFileW(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE file = open();
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PATH_NOT_FOUND) {
        const size_t separator = path_.find_last_of(L"\\/");
        if (separator != std::wstring::npos)
            SHCreateDirectoryExW(nullptr, path_.substr(0, separator).c_str(), nullptr);
        file = open();
    }
    if (file == INVALID_HANDLE_VALUE)
        return {false, system_message(GetLastError())};
    const std::string bytes = to_utf8(line + L"\r\n");
    DWORD written = 0;
    const bool complete =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!complete)
        return {false, system_message(error)};
    return {true, {}};
}

}  // namespace platform
