// w_main: the installer form. Opens with the application's name as caption,
// narrowed so that the log box is out of sight, and filled from the machine
// (wf_init); the browse buttons fill the two path fields, Install runs the
// install pipeline, Exit and the close box close it.
#pragma once

#include "app/application.h"
#include "app/install_settings.h"
#include "install/install_form.h"
#include "platform/prompts.h"
#include "platform/response_window.h"

namespace ui {

class w_main : public platform::ResponseWindow, public install::InstallForm {
public:
    w_main(app::Application& application, platform::Prompts& prompts);

    std::wstring server_name() const override;
    std::wstring data_path() const override;
    std::wstring template_file() const override;
    std::wstring admin_login() const override;
    std::wstring admin_password() const override;
    std::optional<install::StoreMode> store_mode() const override;
    std::wstring status_text() const override;
    void set_status_text(const std::wstring& text) override;
    void append_to_log(const std::wstring& text) override;
    void set_install_enabled(bool enabled) override;
    std::wstring confirm_reinstall() override;

protected:
    void on_open() override;
    void on_clicked(int control_id) override;

private:
    // Loads InstallSettings and writes the five fields' defaults; tells the
    // operator when no SQL Server is installed.
    void wf_init();
    void browse_data_path();
    void browse_template_file();
    void install();

    app::Application& application_;
    platform::Prompts& prompts_;
    app::InstallSettings settings_;  // is_dbname, is_logid, is_pass
};

}  // namespace ui
