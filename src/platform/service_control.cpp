// The Service Control Manager calls.
#include "service_control.h"

#include "system_message.h"

#include <windows.h>

#include <thread>

namespace platform {

namespace {

// A service opened through the manager with the access asked for; when
// either cannot be opened, failure() holds the system's message.
class OpenedService {
public:
    OpenedService(const std::wstring& name, DWORD access)
    {
        manager_ = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
        if (manager_)
            service_ = OpenServiceW(manager_, name.c_str(), access);
        if (!service_)
            failure_ = system_message(GetLastError());
    }
    ~OpenedService()
    {
        if (service_) CloseServiceHandle(service_);
        if (manager_) CloseServiceHandle(manager_);
    }
    OpenedService(const OpenedService&) = delete;
    OpenedService& operator=(const OpenedService&) = delete;

    SC_HANDLE get() const { return service_; }
    const std::optional<std::wstring>& failure() const { return failure_; }

private:
    SC_HANDLE manager_ = nullptr;
    SC_HANDLE service_ = nullptr;
    std::optional<std::wstring> failure_;
};

Outcome failed(const std::wstring& message) { return {false, message}; }

std::optional<DWORD> current_state(SC_HANDLE service)
{
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof(status),
                              &needed))
        return std::nullopt;
    return status.dwCurrentState;
}

// Polls until the service is in `wanted`, within `limit`.
Outcome wait_for(SC_HANDLE service, DWORD wanted, std::chrono::seconds limit, const wchar_t* doing)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const std::optional<DWORD> state = current_state(service);
        if (!state)
            return failed(system_message(GetLastError()));
        if (*state == wanted)
            return {true, {}};
        if (std::chrono::steady_clock::now() >= deadline)
            return failed(std::wstring(L"the service did not finish ") + doing + L" within " +
                          std::to_wstring(limit.count()) + L" seconds");
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
}

ServiceStartType start_type_of(DWORD start_type)
{
    switch (start_type) {
    case SERVICE_AUTO_START: return ServiceStartType::automatic;
    case SERVICE_DEMAND_START: return ServiceStartType::on_demand;
    case SERVICE_DISABLED: return ServiceStartType::disabled;
    default: return ServiceStartType::other;
    }
}

}  // namespace

std::optional<ServiceState> query_service(const std::wstring& name)
{
    const OpenedService opened(name, SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG);
    if (opened.failure())
        return std::nullopt;
    const std::optional<DWORD> state = current_state(opened.get());
    if (!state)
        return std::nullopt;
    ServiceState result;
    result.running = *state == SERVICE_RUNNING;
    result.stopped = *state == SERVICE_STOPPED;
    DWORD needed = 0;
    QueryServiceConfigW(opened.get(), nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (needed > 0 && QueryServiceConfigW(opened.get(), config, needed, &needed))
        result.start_type = start_type_of(config->dwStartType);
    return result;
}

std::vector<std::wstring> running_dependents(const std::wstring& name)
{
    std::vector<std::wstring> names;
    const OpenedService opened(name, SERVICE_ENUMERATE_DEPENDENTS);
    if (opened.failure())
        return names;
    DWORD needed = 0;
    DWORD count = 0;
    if (EnumDependentServicesW(opened.get(), SERVICE_ACTIVE, nullptr, 0, &needed, &count) ||
        GetLastError() != ERROR_MORE_DATA)
        return names;
    std::vector<BYTE> buffer(needed);
    auto* services = reinterpret_cast<ENUM_SERVICE_STATUSW*>(buffer.data());
    // The manager lists them in the reverse order of starting: the order to stop them in.
    if (EnumDependentServicesW(opened.get(), SERVICE_ACTIVE, services, needed, &needed, &count))
        for (DWORD i = 0; i < count; ++i)
            names.emplace_back(services[i].lpServiceName);
    return names;
}

Outcome set_service_automatic(const std::wstring& name)
{
    const OpenedService opened(name, SERVICE_CHANGE_CONFIG);
    if (opened.failure())
        return failed(*opened.failure());
    if (!ChangeServiceConfigW(opened.get(), SERVICE_NO_CHANGE, SERVICE_AUTO_START, SERVICE_NO_CHANGE, nullptr, nullptr,
                              nullptr, nullptr, nullptr, nullptr, nullptr))
        return failed(system_message(GetLastError()));
    return {true, {}};
}

Outcome start_service(const std::wstring& name, std::chrono::seconds limit)
{
    const OpenedService opened(name, SERVICE_START | SERVICE_QUERY_STATUS);
    if (opened.failure())
        return failed(*opened.failure());
    if (!StartServiceW(opened.get(), 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING)
        return failed(system_message(GetLastError()));
    return wait_for(opened.get(), SERVICE_RUNNING, limit, L"starting");
}

Outcome stop_service(const std::wstring& name, std::chrono::seconds limit)
{
    const OpenedService opened(name, SERVICE_STOP | SERVICE_QUERY_STATUS);
    if (opened.failure())
        return failed(*opened.failure());
    SERVICE_STATUS status{};
    if (!ControlService(opened.get(), SERVICE_CONTROL_STOP, &status) && GetLastError() != ERROR_SERVICE_NOT_ACTIVE)
        return failed(system_message(GetLastError()));
    return wait_for(opened.get(), SERVICE_STOPPED, limit, L"stopping");
}

}  // namespace platform
