// Reading HKLM\SOFTWARE\Microsoft\Microsoft SQL Server with KEY_WOW64_64KEY.
#include "instance_registry.h"

#include <windows.h>

namespace sql_service {

namespace {

const std::wstring kRoot = L"SOFTWARE\\Microsoft\\Microsoft SQL Server\\";

std::optional<std::wstring> string_value(const std::wstring& key, const wchar_t* name) {
    wchar_t data[512] = {};
    DWORD size = sizeof data - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, data,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data);
}

std::optional<DWORD> dword_value(const std::wstring& key, const wchar_t* name) {
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, nullptr, &data,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    return data;
}

std::wstring tcp_key(const std::wstring& instance_id) {
    return kRoot + instance_id + L"\\MSSQLServer\\SuperSocketNetLib\\Tcp";
}

}  // namespace

std::optional<InstanceSettings> read_instance_settings(const std::wstring& instance_name, std::wstring& reason) {
    const auto id = string_value(kRoot + L"Instance Names\\SQL", instance_name.c_str());
    if (!id) {
        reason = L"Instance Names\\SQL has no instance " + instance_name;
        return std::nullopt;
    }
    const std::wstring server_key = kRoot + *id + L"\\MSSQLServer";
    // SQL Server reads a missing or unknown LoginMode as Windows
    // authentication, the mode it installs with.
    const DWORD login_mode = dword_value(server_key, L"LoginMode").value_or(1);
    const std::wstring ip_all = tcp_key(*id) + L"\\IPAll";
    return InstanceSettings{*id, login_mode != 2, dword_value(tcp_key(*id), L"Enabled").value_or(0) == 1,
                            string_value(ip_all, L"TcpPort").value_or(L""),
                            string_value(ip_all, L"TcpDynamicPorts").value_or(L"")};
}

bool write_dynamic_port(const std::wstring& instance_id, unsigned port, std::wstring& reason) {
    const std::wstring text = std::to_wstring(port);
    const LSTATUS status =
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, (tcp_key(instance_id) + L"\\IPAll").c_str(), L"TcpDynamicPorts", REG_SZ,
                        text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    if (status == ERROR_SUCCESS) return true;
    reason = L"cannot write TcpDynamicPorts (error " + std::to_wstring(status) + L")";
    return false;
}

}  // namespace sql_service
