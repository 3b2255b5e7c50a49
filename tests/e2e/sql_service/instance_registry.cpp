// Reading and writing HKLM\SOFTWARE\Microsoft\Microsoft SQL Server in the
// 64-bit view, where a 64-bit SQL Server keeps its instances: this service
// program is 32-bit, like everything the Windows tree builds, and would
// otherwise be given the 32-bit view.
#include "instance_registry.h"

#include "platform/registry.h"

namespace sql_service {

namespace {

using platform::RegistryView;

const std::wstring kRoot = L"SOFTWARE\\Microsoft\\Microsoft SQL Server\\";

std::wstring tcp_key(const std::wstring& instance_id) {
    return kRoot + instance_id + L"\\MSSQLServer\\SuperSocketNetLib\\Tcp";
}

}  // namespace

std::optional<InstanceSettings> read_instance_settings(const std::wstring& instance_name, std::wstring& reason) {
    const auto id = platform::read_machine_string(RegistryView::bits64, kRoot + L"Instance Names\\SQL", instance_name);
    if (!id) {
        reason = L"Instance Names\\SQL has no instance " + instance_name;
        return std::nullopt;
    }
    const std::wstring server_key = kRoot + *id + L"\\MSSQLServer";
    // SQL Server reads a missing or unknown LoginMode as Windows
    // authentication, the mode it installs with.
    const uint32_t login_mode = platform::read_machine_dword(RegistryView::bits64, server_key, L"LoginMode").value_or(1);
    const std::wstring ip_all = tcp_key(*id) + L"\\IPAll";
    return InstanceSettings{
        *id, login_mode != 2,
        platform::read_machine_dword(RegistryView::bits64, tcp_key(*id), L"Enabled").value_or(0) == 1,
        platform::read_machine_string(RegistryView::bits64, ip_all, L"TcpPort").value_or(L""),
        platform::read_machine_string(RegistryView::bits64, ip_all, L"TcpDynamicPorts").value_or(L"")};
}

bool write_dynamic_port(const std::wstring& instance_id, unsigned port, std::wstring& reason) {
    const platform::Outcome written = platform::write_machine_string(
        RegistryView::bits64, tcp_key(instance_id) + L"\\IPAll", L"TcpDynamicPorts", std::to_wstring(port));
    if (!written.succeeded) reason = L"cannot write TcpDynamicPorts: " + written.system_message;
    return written.succeeded;
}

}  // namespace sql_service
