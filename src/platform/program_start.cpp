// Starting a program with CreateProcessW.
#include "program_start.h"

#include "system_message.h"

#include <windows.h>

namespace platform {

namespace {

// One argument as CommandLineToArgvW reads it back: quoted when it holds
// white space or a quote or is empty; backslashes are doubled only where they
// come before a quote, the closing one included.
std::wstring quoted_argument(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

}  // namespace

std::wstring command_line_for(const std::wstring& program, const std::vector<std::wstring>& arguments)
{
    // The program name is read up to its closing quote, backslashes and all;
    // a Windows path holds no quote.
    std::wstring line = L"\"" + program + L"\"";
    for (const std::wstring& argument : arguments) line += L" " + quoted_argument(argument);
    return line;
}

Outcome start_program(const std::wstring& program, const std::vector<std::wstring>& arguments)
{
    std::wstring line = command_line_for(program, arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    // Detached: a window program needs no console, and it must not keep the
    // caller's standard handles (a script's pipe) open while it runs.
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                        &startup, &process))
        return {false, system_message(GetLastError())};
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return {true, {}};
}

}  // namespace platform
