// Parsing the test service's command line.
#include "service_options.h"

#include <map>

namespace sql_service {

std::optional<ServiceOptions> parse_service_options(const std::vector<std::wstring>& arguments, std::wstring& reason) {
    ServiceOptions options;
    const std::map<std::wstring, std::wstring ServiceOptions::*> single = {
        {L"--instance", &ServiceOptions::instance_name}, {L"--emulator", &ServiceOptions::emulator},
        {L"--state", &ServiceOptions::state_folder},     {L"--drive-c", &ServiceOptions::drive_c},
        {L"--sa-password", &ServiceOptions::sa_password}, {L"--browser-address", &ServiceOptions::browser_address}};
    const std::map<std::wstring, std::vector<std::wstring> ServiceOptions::*> repeated = {
        {L"--windows-login", &ServiceOptions::windows_logins},
        {L"--listen-address", &ServiceOptions::listen_addresses},
        {L"--emulator-option", &ServiceOptions::emulator_options}};
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& name = arguments[i];
        if (name == L"--browser-service") {
            options.browser_service = true;
            continue;
        }
        if (i + 1 == arguments.size()) {
            reason = name + L" needs a value";
            return std::nullopt;
        }
        const std::wstring& value = arguments[++i];
        if (const auto one = single.find(name); one != single.end()) {
            options.*(one->second) = value;
        } else if (const auto many = repeated.find(name); many != repeated.end()) {
            (options.*(many->second)).push_back(value);
        } else {
            reason = L"unknown option " + name;
            return std::nullopt;
        }
    }
    if (options.browser_service) return options;
    for (const auto& [name, member] : single)
        if (name != L"--browser-address" && (options.*member).empty()) {
            reason = name + L" is required";
            return std::nullopt;
        }
    if (options.listen_addresses.empty()) options.listen_addresses.push_back(L"127.0.0.1");
    return options;
}

}  // namespace sql_service
