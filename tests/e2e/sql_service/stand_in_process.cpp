// Starting the stand-in through /bin/sh under Wine, watching and stopping it.
#include "stand_in_process.h"

#include "tcp_ports.h"

#include "platform/program_start.h"

#include <windows.h>

#include <cstdio>
#include <thread>

namespace sql_service {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(100);
// A sanitized stand-in on a busy machine may take a while.
constexpr auto kStartTimeout = std::chrono::seconds(60);
constexpr auto kStopTimeout = std::chrono::seconds(60);

// The Windows name of a host path, as Wine maps it.
std::wstring windows_path(const std::wstring& host_path) {
    using DosFileName = WCHAR*(CDECL*)(const char*);
    static const auto dos_file_name = reinterpret_cast<DosFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (!dos_file_name) return host_path;  // outside Wine no host paths exist to map
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, host_path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string unix_name(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, host_path.c_str(), -1, unix_name.data(), bytes, nullptr, nullptr);
    WCHAR* converted = dos_file_name(unix_name.c_str());
    if (!converted) return host_path;
    std::wstring result(converted);
    HeapFree(GetProcessHeap(), 0, converted);
    return result;
}

bool exists(const std::wstring& host_path) {
    return GetFileAttributesW(windows_path(host_path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

StandInProcess::StandInProcess(const std::wstring& state_folder) : state_folder_(state_folder) {}

bool StandInProcess::ended() const { return exists(state_folder_ + L".exit"); }

void StandInProcess::log(const std::wstring& line) const {
    FILE* file = _wfopen(windows_path(state_folder_ + L".log").c_str(), L"a");
    if (!file) return;
    std::fwprintf(file, L"sql-service: %ls\n", line.c_str());
    std::fclose(file);
}

bool StandInProcess::start(const std::wstring& emulator, const std::vector<std::wstring>& arguments,
                           const std::wstring& address, unsigned port, const std::function<void()>& still_starting,
                           std::wstring& reason) {
    DeleteFileW(windows_path(state_folder_ + L".exit").c_str());
    // sh appends the stand-in's output to <state>.log and, when it ends,
    // writes its exit status to <state>.exit: $0 is the state folder.
    std::vector<std::wstring> shell_arguments = {L"-c", L"\"$@\" >>\"$0.log\" 2>&1; echo $? >\"$0.exit\"",
                                                 state_folder_, emulator};
    shell_arguments.insert(shell_arguments.end(), arguments.begin(), arguments.end());
    std::wstring command = platform::command_line_for(L"/bin/sh", shell_arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(windows_path(L"/bin/sh").c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        reason = L"cannot start /bin/sh for the stand-in (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (!accepts_connections(address, port)) {
        if (ended()) {
            reason = L"the stand-in ended; see " + state_folder_ + L".log";
            return false;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            reason = L"the stand-in does not accept connections; see " + state_folder_ + L".log";
            return false;
        }
        still_starting();
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

bool StandInProcess::stop(const std::function<void()>& still_stopping) {
    const HANDLE file = CreateFileW(windows_path(stop_file()).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    const auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
    while (!ended()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        still_stopping();
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

std::vector<std::wstring> stand_in_arguments(const ServiceOptions& options, const InstanceSettings& settings,
                                             unsigned port, const std::wstring& stop_file) {
    std::vector<std::wstring> arguments = {L"--sa-password", options.sa_password, L"--state", options.state_folder,
                                           L"--drive", L"C=" + options.drive_c, L"--stop-file", stop_file};
    for (const auto& address : options.listen_addresses)
        arguments.insert(arguments.end(), {L"--listen", address + L":" + std::to_wstring(port)});
    if (options.instance_name != L"MSSQLSERVER")
        arguments.insert(arguments.end(), {L"--instance-name", options.instance_name});
    if (!options.browser_address.empty())
        arguments.insert(arguments.end(), {L"--browser", options.browser_address});
    if (settings.windows_authentication_only) arguments.push_back(L"--windows-auth-only");
    for (const auto& login : options.windows_logins) arguments.insert(arguments.end(), {L"--windows-login", login});
    arguments.insert(arguments.end(), options.emulator_options.begin(), options.emulator_options.end());
    return arguments;
}

}  // namespace sql_service
