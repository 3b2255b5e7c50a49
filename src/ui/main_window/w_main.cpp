// w_main's open sequence, button handlers and the install form it offers the
// pipeline.
#include "w_main.h"

#include "confirm_dialog/w_input_check_num.h"
#include "install/wf_installdb.h"
#include "main_window_form.h"
#include "platform/blank_text.h"

namespace ui {

namespace {

const std::wstring browse_caption = L"Select Database File";

}  // namespace

w_main::w_main(app::Application& application, platform::Prompts& prompts)
    : ResponseWindow(main_window_form()), application_(application), prompts_(prompts)
{
}

void w_main::on_open()
{
    set_caption(application_.gs_appname);
    set_client_width(main_window_narrowed);
    centre_on_screen();  // what the operator sees is centred, not the design width
    wf_init();
}

void w_main::on_clicked(int control_id)
{
    switch (control_id) {
    case cb_3: browse_data_path(); break;
    case cb_selectfile: browse_template_file(); break;
    case cb_1: install(); break;
    case cb_2: close(); break;
    default: break;
    }
}

void w_main::browse_data_path()
{
    const std::wstring folder = prompts_.browse_folder(browse_caption);
    if (platform::is_blank(folder)) return;
    set_text(sle_sqldbpath, folder);
    set_enabled(cb_1, true);
}

void w_main::browse_template_file()
{
    const std::wstring path = prompts_.choose_file(browse_caption).path;
    if (platform::is_blank(path)) return;
    set_text(sle_sourcedb, path);
    set_enabled(cb_1, true);
}

void w_main::install()
{
    install::InstallContext context{*this, prompts_, application_.SQLCA, settings_, application_.gs_appname};
    install::wf_installdb(context);
}

std::wstring w_main::server_name() const { return text(sle_sqlserver); }
std::wstring w_main::data_path() const { return text(sle_sqldbpath); }
std::wstring w_main::template_file() const { return text(sle_sourcedb); }
std::wstring w_main::admin_login() const { return text(sle_sa); }
std::wstring w_main::admin_password() const { return text(sle_password); }

std::optional<install::StoreMode> w_main::store_mode() const
{
    if (checked(rb_1)) return install::StoreMode::single_store;
    if (checked(rb_2)) return install::StoreMode::chain_headquarters;
    if (checked(rb_3)) return install::StoreMode::chain_branch;
    return std::nullopt;
}

std::wstring w_main::status_text() const { return text(st_info); }
void w_main::set_status_text(const std::wstring& text) { set_text(st_info, text); }
void w_main::append_to_log(const std::wstring& text) { append_text(mle_1, text); }
void w_main::set_install_enabled(bool enabled) { set_enabled(cb_1, enabled); }

std::wstring w_main::confirm_reinstall()
{
    w_input_check_num dialog(prompts_, application_.message);
    return prompts_.open_response_window(dialog);
}

}  // namespace ui
