// wf_init: w_main's defaults, taken from dbinstall.ini, the registry and the
// machine.
#include "w_main.h"

#include "app/machine_defaults.h"
#include "main_window_form.h"

namespace ui {

void w_main::wf_init()
{
    settings_ = app::load_install_settings(application_.gs_dbname);
    const app::MachineDefaults defaults = app::machine_defaults(settings_.is_dbname);

    set_text(sle_sqlserver, defaults.server_name);
    // The notice neither stops the initialisation nor disables anything.
    if (!defaults.sql_server_found) prompts_.message_box(app::sql_server_missing_title, app::sql_server_missing_text);
    set_text(sle_sqldbpath, defaults.data_path);
    set_text(sle_sourcedb, defaults.template_file);
    set_text(sle_sa, defaults.admin_login);
    set_text(sle_password, defaults.admin_password);
}

}  // namespace ui
