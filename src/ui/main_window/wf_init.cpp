// wf_init: w_main's defaults, taken from dbinstall.ini, the registry and the
// machine.
#include "w_main.h"

#include "app/machine_defaults.h"
#include "install/recovery/run_record.h"
#include "main_window_form.h"
#include "platform/machine.h"

namespace ui {

void w_main::wf_init()
{
    settings_ = app::load_install_settings(application_.gs_dbname);
    app::MachineDefaults defaults = app::machine_defaults(settings_.is_dbname);

    instances_ = std::move(defaults.instances);
    const std::wstring computer = platform::computer_name();
    std::vector<std::wstring> choices;
    for (const app::SqlServerInstance& instance : instances_)
        choices.push_back(app::server_field_text(instance, computer));
    set_choices(sle_sqlserver, choices);
    set_text(sle_sqlserver, defaults.server_name);
    // The notice neither stops the initialisation nor disables anything.
    if (!defaults.sql_server_found) prompts_.message_box(app::sql_server_missing_title, app::sql_server_missing_text);
    set_text(sle_sqldbpath, defaults.data_path);
    set_text(sle_sourcedb, defaults.template_file);
    set_text(sle_sa, defaults.admin_login);
    set_text(sle_password, defaults.admin_password);
    use_windows_authentication(defaults.windows_authentication);

    // A run that was interrupted is put right by the next install, on its own server.
    if (const std::optional<install::RunRecord> interrupted = install::read_run_record()) {
        set_text(sle_sqlserver, interrupted->server);
        std::wstring text = L"上次在数据库服务器“" + interrupted->server +
                            L"”上的安装没有完成。\r\n按“安装”时，安装程序会先把这台数据库服务器恢复到上次安装以前的状态。";
        if (interrupted->changes.safety_backup)
            text += L"\r\n原数据库的安全备份在数据库服务器上：" + *interrupted->changes.safety_backup;
        prompts_.message_box(L"提示", text);
    }
}

}  // namespace ui
