// w_main's open sequence, button handlers, the install run beside the window
// and the install form it offers the pipeline.
#include "w_main.h"

#include "app/machine_defaults.h"
#include "confirm_dialog/w_input_check_num.h"
#include "install/record/record_folder.h"
#include "install/server/progress.h"
#include "install/wf_installdb.h"
#include "main_window_form.h"
#include "platform/blank_text.h"
#include "platform/runtime.h"

#include <exception>

namespace ui {

namespace {

const std::wstring browse_caption = L"Select Database File";

constexpr unsigned progress_timer = 1;
constexpr unsigned progress_interval_ms = 100;

// What cannot change while an install runs: the buttons, the store mode,
// the server and how to log in to it. A combo box cannot be read-only as a
// whole: its list would still change its text.
constexpr int disabled_while_installing[] = {cb_1, cb_2, cb_3, cb_selectfile, rb_1, rb_2, rb_3,
                                             sle_sqlserver, cbx_windows_auth};
constexpr int read_only_while_installing[] = {sle_sqldbpath, sle_sourcedb, sle_sa, sle_password};

// The fields as the log file's header gives them; never the password.
std::wstring described(const install::InstallForm& form)
{
    return L"window: server " + form.server_name() + L", data path " + form.data_path() + L", template " +
           form.template_file() +
           (form.windows_authentication() ? L", Windows authentication" : L", login " + form.admin_login()) +
           L", store mode " +
           (form.store_mode() ? install::store_mode_word(*form.store_mode()) : L"none");
}

std::wstring what_failed(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        return platform::exception_text(error);
    } catch (...) {
        return L"unknown error";
    }
}

}  // namespace

w_main::w_main(app::Application& application, platform::Prompts& prompts)
    : ResponseWindow(main_window_form()), application_(application), prompts_(prompts)
{
}

void w_main::on_open()
{
    taskbar_ = std::make_unique<platform::TaskbarProgress>(handle());
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
    case cbx_windows_auth: use_windows_authentication(checked(cbx_windows_auth)); break;
    default: break;
    }
}

void w_main::on_choice_picked(int control_id)
{
    const std::optional<size_t> picked = chosen(control_id);
    if (control_id != sle_sqlserver || !picked || *picked >= instances_.size()) return;
    const app::SqlServerInstance& instance = instances_[*picked];
    set_text(sle_sqldbpath, app::data_path_of(&instance));
    use_windows_authentication(instance.login_mode == app::windows_authentication_only);
}

void w_main::use_windows_authentication(bool used)
{
    set_checked(cbx_windows_auth, used);
    set_enabled(sle_sa, !used);
    set_enabled(sle_password, !used);
}

void w_main::browse_data_path()
{
    const std::wstring folder = prompts_.browse_folder(browse_caption);
    if (platform::is_blank(folder)) return;
    set_text(sle_sqldbpath, folder);
    set_install_enabled(true);
}

void w_main::browse_template_file()
{
    const std::wstring path = prompts_.choose_file(browse_caption).path;
    if (platform::is_blank(path)) return;
    set_text(sle_sourcedb, path);
    set_install_enabled(true);
}

void w_main::install()
{
    if (worker_.running())
        return;
    run_form_ = std::make_unique<WindowThreadForm>(*this, calls_);
    run_prompts_ = std::make_unique<platform::WindowThreadPrompts>(prompts_, calls_);
    run_log_file_ = std::make_unique<platform::LogFile>(platform::default_log_file());
    run_journal_ = std::make_unique<install::RunJournal>(*run_log_file_);
    lock_for_install(true);
    worker_.start(
        [this] {
            // Before anything is written there: what a run writes down is
            // for the computer's administrators alone.
            if (const std::optional<std::wstring> refusal = install::secure_record_folder()) {
                run_prompts_->message_box(L"警告", *refusal);
                return;
            }
            run_journal_->begin(described(*run_form_));
            install::InstallContext context{*run_form_, *run_prompts_, application_.SQLCA, settings_,
                                            application_.gs_appname, true, run_journal_.get()};
            install::wf_installdb(context);
        },
        [this](std::exception_ptr failure) { install_ended(failure); });
}

void w_main::install_ended(std::exception_ptr failure)
{
    lock_for_install(false);
    run_form_.reset();
    run_prompts_.reset();
    run_journal_.reset();
    run_log_file_.reset();
    if (failure)
        prompts_.message_box(application_.gs_appname, L"安装程序出错，安装没有完成：" + what_failed(failure));
}

void w_main::lock_for_install(bool locked)
{
    if (locked)
        focus_before_install_ = focused_control();
    for (int id : disabled_while_installing)
        set_enabled(id, !locked);
    for (int id : read_only_while_installing)
        set_read_only(id, locked);
    if (locked) {
        start_timer(progress_timer, progress_interval_ms);
        set_session_end_block_reason(L"正在安装数据库");
        return;
    }
    stop_timer(progress_timer);
    set_session_end_block_reason(L"");
    set_enabled(cb_1, install_enabled_);
    set_status_text(status_caption_);
    // A disabled button lost the focus; the operator carries on where they were.
    if (focus_before_install_ != 0 && enabled(focus_before_install_))
        set_focus(focus_before_install_);
    else if (focused_control() == 0)
        set_focus(sle_sqlserver);
}

bool w_main::on_close_request()
{
    if (!worker_.running())
        return true;
    prompts_.message_box(application_.gs_appname, L"正在安装数据库，请等安装结束后再关闭窗口。");
    return false;
}

bool w_main::on_end_session_query()
{
    // Ending the session in the middle of a restore would leave a half
    // restored database behind.
    return !worker_.running();
}

void w_main::on_session_ending()
{
    // Windows ends the session over the refusal (a forced shutdown): the run's
    // record stays on disk, and the next start puts the server right.
    if (worker_.running() && run_journal_)
        run_journal_->note(L"the Windows session ends while the install runs; the next start puts back what it changed");
}

void w_main::on_timer(unsigned id)
{
    if (id == progress_timer && run_form_)
        show_progress(run_form_->progress());
}

std::wstring w_main::server_name() const { return text(sle_sqlserver); }
std::wstring w_main::data_path() const { return text(sle_sqldbpath); }
std::wstring w_main::template_file() const { return text(sle_sourcedb); }
std::wstring w_main::admin_login() const { return text(sle_sa); }
std::wstring w_main::admin_password() const { return text(sle_password); }
bool w_main::windows_authentication() const { return checked(cbx_windows_auth); }

std::optional<install::StoreMode> w_main::store_mode() const
{
    if (checked(rb_1)) return install::StoreMode::single_store;
    if (checked(rb_2)) return install::StoreMode::chain_headquarters;
    if (checked(rb_3)) return install::StoreMode::chain_branch;
    return std::nullopt;
}

std::wstring w_main::status_text() const { return status_caption_; }

void w_main::set_status_text(const std::wstring& text)
{
    status_caption_ = text;
    set_text(st_info, text);
    taskbar_->show(std::nullopt);
}

void w_main::show_progress(int percent)
{
    const std::wstring shown = percent < 0 ? status_caption_ : install::with_percent(status_caption_, percent);
    if (text(st_info) == shown)
        return;
    set_text(st_info, shown);
    taskbar_->show(percent < 0 ? std::nullopt : std::optional<int>(percent));
}

void w_main::append_to_log(const std::wstring& text) { append_text(mle_1, text); }

void w_main::set_install_enabled(bool enabled)
{
    install_enabled_ = enabled;
    if (!worker_.running())
        set_enabled(cb_1, enabled);
}

void w_main::set_pointer(platform::MousePointer pointer) { ResponseWindow::set_pointer(pointer); }

std::wstring w_main::confirm_reinstall()
{
    w_input_check_num dialog(prompts_, application_.message);
    return prompts_.open_response_window(dialog);
}

bool w_main::consent_to_server_change(const std::wstring& explanation)
{
    return prompts_.ask_yes_no(application_.gs_appname, explanation);
}

}  // namespace ui
