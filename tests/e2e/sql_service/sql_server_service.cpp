// ServiceMain and the control handler. The handler only signals; the stop's
// slow work runs on ServiceMain's thread, since Wine may end a process whose
// handler takes long.
#include "sql_server_service.h"

#include "instance_registry.h"
#include "stand_in_process.h"
#include "tcp_ports.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace sql_service {

namespace {

constexpr DWORD kWaitHint = 5000;

// What ServiceMain and the handler share; the SCM calls both without context.
struct Service {
    const ServiceOptions* options = nullptr;
    SERVICE_STATUS_HANDLE status_handle = nullptr;
    SERVICE_STATUS status{};
    HANDLE stop_requested = nullptr;
} service;

void report(DWORD state, DWORD exit_code = NO_ERROR) {
    service.status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    service.status.dwCurrentState = state;
    service.status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    service.status.dwWin32ExitCode = exit_code == NO_ERROR ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR;
    service.status.dwServiceSpecificExitCode = exit_code;
    const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
    service.status.dwCheckPoint = pending ? service.status.dwCheckPoint + 1 : 0;
    service.status.dwWaitHint = pending ? kWaitHint : 0;
    SetServiceStatus(service.status_handle, &service.status);
}

DWORD WINAPI handle_control(DWORD control, DWORD, void*, void*) {
    if (control == SERVICE_CONTROL_STOP) {
        report(SERVICE_STOP_PENDING);
        SetEvent(service.stop_requested);
        return NO_ERROR;
    }
    return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

// The port as SQL Server picks it: IPAll's static TcpPort, else the dynamic
// port used last when it is still free, else a new one.
std::optional<unsigned> instance_port(const InstanceSettings& settings, const std::vector<std::wstring>& addresses) {
    if (!settings.static_port.empty()) return std::wcstoul(settings.static_port.c_str(), nullptr, 10);
    const unsigned last = std::wcstoul(settings.dynamic_port.c_str(), nullptr, 10);
    if (last != 0 && port_free(addresses, last)) return last;
    return free_port(addresses);
}

// START: false (and the reason) when the instance cannot be brought up.
bool start_instance(const ServiceOptions& options, StandInProcess& stand_in, std::wstring& reason) {
    const auto settings = read_instance_settings(options.instance_name, reason);
    if (!settings) return false;
    // TCP/IP disabled: on Windows the installer would still reach the server
    // over shared memory; in the rig TCP is the only way in, so the stand-in
    // listens regardless.
    const auto port = instance_port(*settings, options.listen_addresses);
    if (!port) {
        reason = L"no free port on the instance's addresses";
        return false;
    }
    if (settings->static_port.empty() && !write_dynamic_port(settings->instance_id, *port, reason)) return false;
    return stand_in.start(options.emulator, stand_in_arguments(options, *settings, *port, stand_in.stop_file()),
                          options.listen_addresses.front(), *port, [] { report(SERVICE_START_PENDING); }, reason);
}

void WINAPI service_main(DWORD, wchar_t**) {
    service.status_handle = RegisterServiceCtrlHandlerExW(L"", handle_control, nullptr);
    if (!service.status_handle) return;
    report(SERVICE_START_PENDING);
    const ServiceOptions& options = *service.options;
    if (options.browser_service) {
        report(SERVICE_RUNNING);
        WaitForSingleObject(service.stop_requested, INFINITE);
        report(SERVICE_STOPPED);
        return;
    }
    Winsock winsock;
    StandInProcess stand_in(options.state_folder);
    std::wstring reason;
    if (!start_instance(options, stand_in, reason)) {
        stand_in.log(reason);
        stand_in.stop([] {});
        report(SERVICE_STOPPED, 1);
        return;
    }
    report(SERVICE_RUNNING);
    WaitForSingleObject(service.stop_requested, INFINITE);
    if (!stand_in.stop([] { report(SERVICE_STOP_PENDING); }))
        stand_in.log(L"the stand-in did not stop in time");
    report(SERVICE_STOPPED);
}

}  // namespace

int run_service(const ServiceOptions& options) {
    service.options = &options;
    service.stop_requested = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    wchar_t no_name[] = L"";  // an own-process service's table entry needs no name
    const SERVICE_TABLE_ENTRYW table[] = {{no_name, service_main}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherW(table)) {
        std::fwprintf(stderr, L"sql-service: not started by the Service Control Manager (error %lu)\n",
                      GetLastError());
        return 1;
    }
    return 0;
}

}  // namespace sql_service
