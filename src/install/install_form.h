// What the install pipeline reads from and writes to the installer form: the
// five fields, the store-mode choice, the status line, the log and the Install
// button. The window implements it; so does the unattended console front end.
#pragma once

#include "platform/mouse_pointer.h"

#include <optional>
#include <string>

namespace install {

enum class StoreMode { single_store, chain_headquarters, chain_branch };

// The store mode's word in the command line, the log and the registry:
// "single", "headquarters" or "branch".
inline const wchar_t* store_mode_word(StoreMode mode)
{
    switch (mode) {
    case StoreMode::chain_headquarters: return L"headquarters";
    case StoreMode::chain_branch: return L"branch";
    case StoreMode::single_store: break;
    }
    return L"single";
}

// The store mode as t_sys_system's Is_Distributed keeps it: "0", "1" or "2".
inline const wchar_t* store_mode_code(StoreMode mode)
{
    switch (mode) {
    case StoreMode::chain_headquarters: return L"1";
    case StoreMode::chain_branch: return L"2";
    case StoreMode::single_store: break;
    }
    return L"0";
}

class InstallForm {
public:
    virtual ~InstallForm() = default;

    virtual std::wstring server_name() const = 0;       // sle_sqlserver
    virtual std::wstring data_path() const = 0;         // sle_sqldbpath
    virtual std::wstring template_file() const = 0;     // sle_sourcedb
    virtual std::wstring admin_login() const = 0;       // sle_sa
    virtual std::wstring admin_password() const = 0;    // sle_password
    // The administrator connects with Windows authentication, as the
    // Windows account running the installer; login and password are not used.
    virtual bool windows_authentication() const = 0;

    // The first checked of rb_1, rb_2, rb_3; nullopt when none is.
    virtual std::optional<StoreMode> store_mode() const = 0;

    virtual std::wstring status_text() const = 0;                 // st_info
    virtual void set_status_text(const std::wstring& text) = 0;
    virtual void append_to_log(const std::wstring& text) = 0;     // mle_1 gains `text` at its end

    virtual void set_install_enabled(bool enabled) = 0;           // cb_1

    // The mouse pointer over the form: busy while the pipeline works.
    virtual void set_pointer(platform::MousePointer pointer) = 0;

    // How much of the current phase is done, 0 to 100: shown beside the
    // status line until its text changes, never written to the log.
    virtual void show_progress(int percent) = 0;

    // Opens the check-code dialog and returns its result string ("1" when
    // the operator retyped the code, anything else when not).
    virtual std::wstring confirm_reinstall() = 0;

    // Asks whether the server's settings may be changed as `explanation`
    // says (the service restarted with them); true when the operator agreed.
    virtual bool consent_to_server_change(const std::wstring& explanation) = 0;
};

}  // namespace install
