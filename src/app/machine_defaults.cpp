// The form's defaults taken from the machine.
#include "machine_defaults.h"

#include "platform/blank_text.h"
#include "platform/machine.h"
#include "platform/registry.h"

namespace app {

const std::wstring sql_server_missing_title = L"提示";
const std::wstring sql_server_missing_text = L"在本台机器上找不到MSS SQL Server, \r\n运行此程序需要安装MSS SQL Server。";

namespace {

using platform::RegistryView;

// A root without a drive colon (a UNC path, an empty value) is no root.
bool names_a_drive(const std::optional<std::wstring>& root)
{
    return root && root->find(L':') != std::wstring::npos;
}

struct DefaultInstance {
    bool registered = false;
    std::optional<std::wstring> data_root;
};

// The default instance as a current SQL Server registers it: its instance id
// (e.g. "MSSQL16.MSSQLSERVER") under Instance Names\SQL, and that id's Setup
// key. A 64-bit SQL Server writes the 64-bit view; the 32-bit view is read
// after it, for a 32-bit one.
DefaultInstance default_instance()
{
    DefaultInstance instance;
    for (const RegistryView view : {RegistryView::bits64, RegistryView::bits32}) {
        const std::optional<std::wstring> id = platform::read_machine_string(
            view, L"SOFTWARE\\Microsoft\\Microsoft SQL Server\\Instance Names\\SQL", L"MSSQLSERVER");
        if (!id || platform::is_blank(*id)) continue;
        instance.registered = true;
        std::optional<std::wstring> root = platform::read_machine_string(
            view, L"SOFTWARE\\Microsoft\\Microsoft SQL Server\\" + *id + L"\\Setup", L"SQLDataRoot");
        if (names_a_drive(root)) {
            instance.data_root = std::move(root);
            break;
        }
    }
    return instance;
}

}  // namespace

MachineDefaults machine_defaults(const std::wstring& dbname)
{
    // SQL Server 2000's keys, in the 32-bit view, win when they are there.
    const std::wstring default_domain =
        platform::read_machine_string(RegistryView::bits32, L"SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer",
                                      L"DefaultDomain")
            .value_or(L"");
    const std::optional<std::wstring> old_data_root = platform::read_machine_string(
        RegistryView::bits32, L"SOFTWARE\\Microsoft\\MSSQLServer\\Setup", L"SQLDataRoot");
    const DefaultInstance instance = default_instance();

    const std::wstring data_root =
        names_a_drive(old_data_root) ? *old_data_root : instance.data_root.value_or(L"D:");

    return MachineDefaults{
        platform::computer_name(),
        // Not normalised: a root that ends in a backslash gives a doubled one.
        data_root + L"\\data",
        // The separator is inserted even after a drive root's own.
        platform::working_directory() + L"\\" + dbname + L".dat",
        L"sa",
        L"",
        !platform::is_blank(default_domain) || instance.registered,
    };
}

}  // namespace app
