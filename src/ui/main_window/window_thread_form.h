// The installer form as an install run on the worker thread sees it: the five
// fields and the store mode as they stood when Install was pressed (the
// window keeps them read-only while the run goes on), every change to the
// window made on the window's thread through the seam, and the progress kept
// here for the window's timer to read.
#pragma once

#include "install/install_form.h"
#include "platform/window_thread_calls.h"

#include <atomic>

namespace ui {

class WindowThreadForm : public install::InstallForm {
public:
    // On the window's thread: reads the fields of `window`.
    WindowThreadForm(install::InstallForm& window, const platform::WindowThreadCalls& calls);

    std::wstring server_name() const override { return server_name_; }
    std::wstring data_path() const override { return data_path_; }
    std::wstring template_file() const override { return template_file_; }
    std::wstring admin_login() const override { return admin_login_; }
    std::wstring admin_password() const override { return admin_password_; }
    bool windows_authentication() const override { return windows_authentication_; }
    std::optional<install::StoreMode> store_mode() const override { return store_mode_; }

    std::wstring status_text() const override { return status_; }
    void set_status_text(const std::wstring& text) override;
    void append_to_log(const std::wstring& text) override;
    void set_install_enabled(bool enabled) override;
    std::wstring confirm_reinstall() override;
    bool consent_to_server_change(const std::wstring& explanation) override;
    void set_pointer(platform::MousePointer pointer) override;
    void show_progress(int percent) override { progress_ = percent; }

    // The last percentage shown for the current status text, -1 for none.
    // Read from any thread.
    int progress() const { return progress_; }

private:
    install::InstallForm& window_;
    const platform::WindowThreadCalls& calls_;
    const std::wstring server_name_, data_path_, template_file_, admin_login_, admin_password_;
    const bool windows_authentication_;
    const std::optional<install::StoreMode> store_mode_;
    std::wstring status_;
    std::atomic<int> progress_ = -1;
};

}  // namespace ui
