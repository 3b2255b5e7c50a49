// w_main: the installer form. Opens with the application's name as caption,
// narrowed so that the log box is out of sight, and filled from the machine
// (wf_init); picking one of the computer's SQL Server instances fills the
// data path and the authentication choice from its settings, Windows
// authentication greys the login and password, the browse buttons fill the
// two path fields, Install runs the
// install pipeline on a worker thread while the window stays responsive,
// Exit and the close box close it when no install is running.
#pragma once

#include "app/application.h"
#include "app/install_settings.h"
#include "app/sql_server_instances.h"
#include "install/install_form.h"
#include "install/record/run_journal.h"
#include "platform/log_file.h"
#include "platform/prompts.h"
#include "platform/response_window.h"
#include "platform/taskbar_progress.h"
#include "platform/window_thread_calls.h"
#include "platform/window_thread_prompts.h"
#include "platform/worker_thread.h"
#include "window_thread_form.h"

#include <exception>
#include <memory>
#include <vector>

namespace ui {

// The window's own side of the form: used on the window's thread only.
class w_main : public platform::ResponseWindow, public install::InstallForm {
public:
    w_main(app::Application& application, platform::Prompts& prompts);

    std::wstring server_name() const override;
    std::wstring data_path() const override;
    std::wstring template_file() const override;
    std::wstring admin_login() const override;
    std::wstring admin_password() const override;
    bool windows_authentication() const override;
    std::optional<install::StoreMode> store_mode() const override;
    std::wstring status_text() const override;
    void set_status_text(const std::wstring& text) override;
    void append_to_log(const std::wstring& text) override;
    void set_install_enabled(bool enabled) override;
    std::wstring confirm_reinstall() override;
    bool consent_to_server_change(const std::wstring& explanation) override;
    void set_pointer(platform::MousePointer pointer) override;
    void show_progress(int percent) override;

    // True while an install runs beside the window.
    bool installing() const { return worker_.running(); }

protected:
    void on_open() override;
    void on_clicked(int control_id) override;
    void on_choice_picked(int control_id) override;
    bool on_close_request() override;
    bool on_end_session_query() override;
    void on_session_ending() override;
    void on_timer(unsigned id) override;

private:
    // Loads InstallSettings and writes the five fields' defaults; tells the
    // operator when no SQL Server is installed.
    void wf_init();
    // Checks or clears cbx_windows_auth; the login and password it makes
    // unused are greyed.
    void use_windows_authentication(bool used);
    void browse_data_path();
    void browse_template_file();
    void install();
    void install_ended(std::exception_ptr failure);
    // While an install runs, nothing the operator does can change what it
    // installs or end the program under it.
    void lock_for_install(bool locked);

    app::Application& application_;
    platform::Prompts& prompts_;
    app::InstallSettings settings_;  // is_dbname, is_logid, is_pass
    std::vector<app::SqlServerInstance> instances_;  // sle_sqlserver's list, in its order

    std::wstring status_caption_;     // st_info's text without the share done
    bool install_enabled_ = true;     // cb_1 as the pipeline left it, shown once no install runs
    int focus_before_install_ = 0;    // the control the operator was at when the install locked it
    platform::WindowThreadCalls calls_;
    platform::WorkerThread worker_{calls_};
    std::unique_ptr<WindowThreadForm> run_form_;
    std::unique_ptr<platform::WindowThreadPrompts> run_prompts_;
    std::unique_ptr<platform::LogFile> run_log_file_;
    std::unique_ptr<install::RunJournal> run_journal_;
    std::unique_ptr<platform::TaskbarProgress> taskbar_;
};

}  // namespace ui
