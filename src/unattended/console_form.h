// The install form of an unattended run: fields from the command line, the
// log written to standard output line by line, the check-code question
// answered by --drop-existing, progress on standard error with --progress.
#pragma once

#include "install/install_form.h"

namespace unattended {

struct FormValues {
    std::wstring server_name;
    std::wstring data_path;
    std::wstring template_file;
    std::wstring admin_login;
    std::wstring admin_password;
    bool windows_authentication = false;
    install::StoreMode store_mode = install::StoreMode::single_store;
    bool drop_existing = false;
    bool configure_server = false;  // the server's settings may be changed when the tills need it
    bool show_progress = false;  // "progress: <status> <N>%" lines on standard error
};

class ConsoleForm : public install::InstallForm {
public:
    explicit ConsoleForm(FormValues values) : values_(std::move(values)) {}

    std::wstring server_name() const override { return values_.server_name; }
    std::wstring data_path() const override { return values_.data_path; }
    std::wstring template_file() const override { return values_.template_file; }
    std::wstring admin_login() const override { return values_.admin_login; }
    std::wstring admin_password() const override { return values_.admin_password; }
    bool windows_authentication() const override { return values_.windows_authentication; }
    std::optional<install::StoreMode> store_mode() const override { return values_.store_mode; }

    std::wstring status_text() const override { return status_; }
    void set_status_text(const std::wstring& text) override { status_ = text; }
    void append_to_log(const std::wstring& text) override;

    void set_install_enabled(bool) override {}
    std::wstring confirm_reinstall() override { return values_.drop_existing ? L"1" : L"0"; }
    bool consent_to_server_change(const std::wstring&) override { return values_.configure_server; }
    void set_pointer(platform::MousePointer) override {}
    void show_progress(int percent) override;

private:
    FormValues values_;
    std::wstring status_;
    std::wstring progress_shown_for_;  // the status text the last progress line was for
    int last_percent_ = -1;
};

// "progress: 装载系统模板数据库... 40%": a progress line of the console.
std::wstring progress_line(const std::wstring& status, int percent);

// The message boxes of an unattended run, written to standard error as
// "title: text" (the text alone when the title is empty), its lines broken
// by LF.
std::wstring message_line(const std::wstring& title, const std::wstring& text);

}  // namespace unattended
