// SQL Server's instances from the registry.
#include "sql_server_instances.h"

#include "platform/blank_text.h"
#include "platform/character_class.h"

namespace app {

namespace {

using platform::RegistryView;

const std::wstring instances_root = L"SOFTWARE\\Microsoft\\Microsoft SQL Server\\";
const std::wstring sql2000_root = L"SOFTWARE\\Microsoft\\MSSQLServer\\";

// A root without a drive colon (a UNC path, an empty value) is no root.
std::optional<std::wstring> drive_root(std::optional<std::wstring> root)
{
    if (root && root->find(L':') != std::wstring::npos)
        return root;
    return std::nullopt;
}

// An instance whose settings live under these keys, with what they say.
SqlServerInstance read_instance(const std::wstring& name, RegistryView view, const std::wstring& server_key,
                                const std::wstring& tcp_key, const std::wstring& tcp_ports_key,
                                const std::wstring& setup_key)
{
    SqlServerInstance instance;
    instance.name = name;
    instance.view = view;
    instance.server_key = server_key;
    instance.tcp_key = tcp_key;
    instance.tcp_ports_key = tcp_ports_key;
    instance.data_root = drive_root(platform::read_machine_string(instance.view, setup_key, L"SQLDataRoot"));
    instance.login_mode = platform::read_machine_dword(instance.view, instance.server_key, L"LoginMode");
    instance.tcp_enabled = platform::read_machine_dword(instance.view, instance.tcp_key, L"Enabled");
    instance.tcp_port = platform::read_machine_string(instance.view, instance.tcp_ports_key, L"TcpPort").value_or(L"");
    instance.tcp_dynamic_ports =
        platform::read_machine_string(instance.view, instance.tcp_ports_key, L"TcpDynamicPorts").value_or(L"");
    return instance;
}

// SQL Server 2000 keeps its default instance's settings under MSSQLServer,
// its TCP port beside the protocol's own settings, and says nothing of
// TCP/IP being switched on in a value of its own.
std::optional<SqlServerInstance> sql2000_default_instance()
{
    const std::wstring server_key = sql2000_root + L"MSSQLServer";
    const std::optional<std::wstring> domain =
        platform::read_machine_string(RegistryView::bits32, server_key, L"DefaultDomain");
    if (!domain || platform::is_blank(*domain))
        return std::nullopt;
    const std::wstring tcp_key = server_key + L"\\SuperSocketNetLib\\Tcp";
    SqlServerInstance instance =
        read_instance(L"MSSQLSERVER", RegistryView::bits32, server_key, tcp_key, tcp_key, sql2000_root + L"Setup");
    instance.tcp_enabled.reset();
    return instance;
}

// Instance Names\SQL: each value names an instance, its data the instance id
// under which the instance keeps its settings (read, never built from the
// version: setup may be given any id).
std::vector<SqlServerInstance> current_instances(RegistryView view)
{
    std::vector<SqlServerInstance> instances;
    for (const auto& [name, id] : platform::machine_string_values(view, instances_root + L"Instance Names\\SQL")) {
        if (platform::is_blank(id) || platform::is_blank(name))
            continue;
        const std::wstring root = instances_root + id + L"\\";
        const std::wstring tcp_key = root + L"MSSQLServer\\SuperSocketNetLib\\Tcp";
        instances.push_back(
            read_instance(name, view, root + L"MSSQLServer", tcp_key, tcp_key + L"\\IPAll", root + L"Setup"));
    }
    return instances;
}

SqlServerInstance* find(std::vector<SqlServerInstance>& instances, const std::wstring& name)
{
    for (SqlServerInstance& instance : instances)
        if (platform::same_text_ignoring_case(instance.name, name))
            return &instance;
    return nullptr;
}

bool is_loopback(const std::wstring& host)
{
    return host.rfind(L"127.", 0) == 0 || host == L"::1" || platform::same_text_ignoring_case(host, L"localhost");
}

}  // namespace

std::optional<std::wstring> sql2000_data_root()
{
    return drive_root(platform::read_machine_string(RegistryView::bits32, sql2000_root + L"Setup", L"SQLDataRoot"));
}

std::wstring SqlServerInstance::service_name() const
{
    return is_default() ? L"MSSQLSERVER" : L"MSSQL$" + name;
}

std::vector<SqlServerInstance> find_sql_server_instances()
{
    std::vector<SqlServerInstance> instances;
    if (std::optional<SqlServerInstance> sql2000 = sql2000_default_instance())
        instances.push_back(std::move(*sql2000));
    for (const RegistryView view : {RegistryView::bits64, RegistryView::bits32}) {
        for (SqlServerInstance& instance : current_instances(view)) {
            SqlServerInstance* listed = find(instances, instance.name);
            if (!listed)
                instances.push_back(std::move(instance));
            else if (!listed->data_root)
                listed->data_root = instance.data_root;
        }
    }
    return instances;
}

std::optional<size_t> preferred_instance(const std::vector<SqlServerInstance>& instances)
{
    for (const wchar_t* name : {L"MSSQLSERVER", L"SQLEXPRESS"})
        for (size_t i = 0; i < instances.size(); ++i)
            if (platform::same_text_ignoring_case(instances[i].name, name))
                return i;
    if (instances.empty())
        return std::nullopt;
    return 0;
}

std::wstring server_field_text(const SqlServerInstance& instance, const std::wstring& computer)
{
    return instance.is_default() ? computer : computer + L"\\" + instance.name;
}

std::optional<size_t> instance_named_by(const std::wstring& server, const std::vector<SqlServerInstance>& instances,
                                        const std::wstring& computer)
{
    std::wstring text = server;
    for (const std::wstring_view protocol : {L"tcp:", L"np:", L"lpc:"})
        if (platform::same_text_ignoring_case(std::wstring_view(text).substr(0, protocol.size()), protocol))
            text.erase(0, protocol.size());
    text = text.substr(0, text.find(L','));
    const size_t separator = text.find(L'\\');
    const std::wstring host = text.substr(0, separator);
    const std::wstring name = separator == std::wstring::npos ? L"MSSQLSERVER" : text.substr(separator + 1);
    const bool this_computer = platform::same_text_ignoring_case(host, computer) || host == L"." ||
                               platform::same_text_ignoring_case(host, L"(local)") || is_loopback(host);
    if (!this_computer)
        return std::nullopt;
    for (size_t i = 0; i < instances.size(); ++i)
        if (platform::same_text_ignoring_case(instances[i].name, name))
            return i;
    return std::nullopt;
}

}  // namespace app
