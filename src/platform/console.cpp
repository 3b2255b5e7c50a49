// Standard output and standard error of a GUI program.
#include "console.h"

#include "utf8.h"

#include <windows.h>

namespace platform {
namespace {

HANDLE usable(HANDLE handle) {
    return (handle == nullptr || handle == INVALID_HANDLE_VALUE) ? nullptr : handle;
}

HANDLE handle_of(Stream stream) {
    return usable(GetStdHandle(stream == Stream::output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE));
}

}  // namespace

void connect_console() {
    // A GUI program started from cmd.exe or PowerShell has no standard
    // handles unless they were redirected; the parent's console gives them.
    if (handle_of(Stream::output) != nullptr && handle_of(Stream::error) != nullptr) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    if (usable(console) == nullptr) return;
    if (handle_of(Stream::output) == nullptr) SetStdHandle(STD_OUTPUT_HANDLE, console);
    if (handle_of(Stream::error) == nullptr) SetStdHandle(STD_ERROR_HANDLE, console);
}

void write_text(Stream stream, const std::wstring& text) {
    HANDLE handle = handle_of(stream);
    if (handle == nullptr || text.empty()) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const std::string bytes = to_utf8(text);
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace platform
