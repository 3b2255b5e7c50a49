// wf_init: w_main's defaults, taken from dbinstall.ini, the registry and the
// machine.
#include "w_main.h"

#include "main_window_form.h"
#include "platform/blank_text.h"
#include "platform/machine.h"
#include "platform/registry.h"

namespace ui {

void w_main::wf_init()
{
    settings_ = app::load_install_settings(application_.gs_dbname);

    const std::wstring default_domain =
        platform::read_machine_string(L"SOFTWARE\\Microsoft\\MSSQLServer\\MSSQLServer", L"DefaultDomain").value_or(L"");
    set_text(sle_sqlserver, platform::computer_name());

    if (platform::is_blank(default_domain))
        prompts_.message_box(L"提示", L"在本台机器上找不到MSS SQL Server, \r\n运行此程序需要安装MSS SQL Server。");

    std::wstring data_root =
        platform::read_machine_string(L"SOFTWARE\\Microsoft\\MSSQLServer\\Setup", L"SQLDataRoot").value_or(L"");
    if (data_root.find(L':') == std::wstring::npos) data_root = L"D:";
    // Not normalised: a root that ends in a backslash gives a doubled one.
    set_text(sle_sqldbpath, data_root + L"\\data");

    set_text(sle_sourcedb, platform::working_directory() + L"\\" + settings_.is_dbname + L".dat");
    set_text(sle_sa, L"sa");
    set_text(sle_password, L"");
}

}  // namespace ui
