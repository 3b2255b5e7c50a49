// Writing the client alias.
#include "install/phases/client_alias.h"

#include "install/install_run.h"
#include "platform/registry.h"

#include <algorithm>
#include <vector>

namespace install {

const std::wstring alias_key = L"SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo";
const std::wstring alias_name = L"mirvox";

platform::Outcome write_client_alias(InstallRun& run, const std::wstring& data)
{
    std::vector<std::wstring> replaced;
    for (const platform::RegistryView view : {platform::RegistryView::bits32, platform::RegistryView::bits64}) {
        const std::optional<std::wstring> before = platform::read_machine_string(view, alias_key, alias_name);
        if (before && *before != data && std::find(replaced.begin(), replaced.end(), *before) == replaced.end()) {
            replaced.push_back(*before);
            run.log.LogLine(L"客户端别名 " + alias_name + L" 原来是 " + *before + L"，改为 " + data);
        }
        const platform::Outcome written = platform::write_machine_string(view, alias_key, alias_name, data);
        if (!written.succeeded)
            return written;
    }
    return {true, {}};
}

}  // namespace install
