// The form's defaults taken from the machine.
#include "machine_defaults.h"

#include "platform/machine.h"

namespace app {

const std::wstring sql_server_missing_title = L"提示";
const std::wstring sql_server_missing_text = L"在本台机器上找不到MSS SQL Server, \r\n运行此程序需要安装MSS SQL Server。";

std::wstring data_path_of(const SqlServerInstance* instance)
{
    const std::wstring root = instance && instance->data_root ? *instance->data_root : L"D:";
    return root + L"\\data";
}

MachineDefaults machine_defaults(const std::wstring& dbname)
{
    std::vector<SqlServerInstance> instances = find_sql_server_instances();
    const std::optional<size_t> chosen = preferred_instance(instances);
    const SqlServerInstance* instance = chosen ? &instances[*chosen] : nullptr;
    const std::wstring computer = platform::computer_name();
    // SQL Server 2000's root stands in where no instance gives one, as it always has.
    std::optional<std::wstring> data_root = instance ? instance->data_root : std::nullopt;
    if (!data_root)
        data_root = sql2000_data_root();
    return MachineDefaults{
        instance ? server_field_text(*instance, computer) : computer,
        data_root.value_or(L"D:") + L"\\data",
        // The separator is inserted even after a drive root's own.
        platform::working_directory() + L"\\" + dbname + L".dat",
        L"sa",
        L"",
        instance && instance->login_mode == windows_authentication_only,
        !instances.empty(),
        std::move(instances),
        chosen,
    };
}

}  // namespace app
