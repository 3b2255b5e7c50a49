// An InstallForm that records what the pipeline shows and answers the
// check-code dialog from a script.
#pragma once

#include "install/install_form.h"

#include <deque>
#include <functional>
#include <vector>
#include <string>

namespace install_test {

class RecordingForm : public install::InstallForm {
public:
    std::wstring server;
    std::wstring data;
    std::wstring template_path;
    std::wstring admin = L"sa";
    std::wstring password;
    bool windows_auth = false;
    std::optional<install::StoreMode> mode = install::StoreMode::single_store;

    std::wstring status;
    std::wstring log = L"none";  // mle_1's text when the window opens
    bool install_enabled = true;
    platform::MousePointer pointer = platform::MousePointer::arrow;
    std::vector<int> progress;  // every percentage shown, in order
    std::function<void()> on_progress;  // run after each percentage is recorded, while the work goes on
    int reinstall_confirmations = 0;
    std::deque<std::wstring> confirm_answers;  // "0" (cancelled) once they run out
    std::vector<std::wstring> server_change_questions;
    bool server_change_consent = false;

    std::wstring server_name() const override { return server; }
    std::wstring data_path() const override { return data; }
    std::wstring template_file() const override { return template_path; }
    std::wstring admin_login() const override { return admin; }
    std::wstring admin_password() const override { return password; }
    bool windows_authentication() const override { return windows_auth; }
    std::optional<install::StoreMode> store_mode() const override { return mode; }
    std::wstring status_text() const override { return status; }
    void set_status_text(const std::wstring& text) override { status = text; }
    void append_to_log(const std::wstring& text) override { log += text; }
    void set_install_enabled(bool enabled) override { install_enabled = enabled; }
    void set_pointer(platform::MousePointer shown) override { pointer = shown; }
    void show_progress(int percent) override
    {
        progress.push_back(percent);
        if (on_progress)
            on_progress();
    }
    std::wstring confirm_reinstall() override;
    bool consent_to_server_change(const std::wstring& explanation) override
    {
        server_change_questions.push_back(explanation);
        return server_change_consent;
    }
};

}  // namespace install_test
