// The worker's installer form.
#include "window_thread_form.h"

namespace ui {

WindowThreadForm::WindowThreadForm(install::InstallForm& window, const platform::WindowThreadCalls& calls)
    : window_(window), calls_(calls), server_name_(window.server_name()), data_path_(window.data_path()),
      template_file_(window.template_file()), admin_login_(window.admin_login()),
      admin_password_(window.admin_password()), windows_authentication_(window.windows_authentication()),
      store_mode_(window.store_mode()), status_(window.status_text())
{
}

void WindowThreadForm::set_status_text(const std::wstring& text)
{
    // A new phase has no share done yet.
    progress_ = -1;
    status_ = text;
    calls_.run([&] { window_.set_status_text(text); });
}

void WindowThreadForm::append_to_log(const std::wstring& text)
{
    calls_.run([&] { window_.append_to_log(text); });
}

void WindowThreadForm::set_install_enabled(bool enabled)
{
    calls_.run([&] { window_.set_install_enabled(enabled); });
}

std::wstring WindowThreadForm::confirm_reinstall()
{
    // The window gone, nobody confirmed: the old database stays.
    std::wstring answer = L"0";
    calls_.run([&] { answer = window_.confirm_reinstall(); });
    return answer;
}

bool WindowThreadForm::consent_to_server_change(const std::wstring& explanation)
{
    // The window gone, nobody agreed: the server stays as it is.
    bool yes = false;
    calls_.run([&] { yes = window_.consent_to_server_change(explanation); });
    return yes;
}

void WindowThreadForm::set_pointer(platform::MousePointer pointer)
{
    calls_.run([&] { window_.set_pointer(pointer); });
}

}  // namespace ui
