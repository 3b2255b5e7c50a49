// The form's defaults taken from the machine.
#include "machine_defaults.h"

#include "platform/blank_text.h"
#include "platform/machine.h"
#include "platform/registry.h"

namespace app {

const std::wstring sql_server_missing_title = L"提示";
const std::wstring sql_server_missing_text = L"在本台机器上找不到MSS SQL Server, \r\n运行此程序需要安装MSS SQL Server。";

MachineDefaults machine_defaults(const std::wstring& dbname)
{
    const std::wstring default_domain =
        platform::read_machine_string(L"SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer", L"DefaultDomain").value_or(L"");

    std::wstring data_root =
        platform::read_machine_string(L"SOFTWARE\\Microsoft\\MSSQLServer\\Setup", L"SQLDataRoot").value_or(L"");
    if (data_root.find(L':') == std::wstring::npos) data_root = L"D:";

    return MachineDefaults{
        platform::computer_name(),
        // Not normalised: a root that ends in a backslash gives a doubled one.
        data_root + L"\\data",
        // The separator is inserted even after a drive root's own.
        platform::working_directory() + L"\\" + dbname + L".dat",
        L"sa",
        L"",
        !platform::is_blank(default_domain),
    };
}

}  // namespace app
