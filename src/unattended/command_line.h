// The unattended command line: which options were given, or why it is wrong.
#pragma once

#include "install/install_form.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace unattended {

// Options left out stay empty (nullopt) and take the form's defaults.
struct UnattendedOptions {
    std::optional<std::wstring> server;
    std::optional<std::wstring> data_path;
    std::optional<std::wstring> template_file;
    std::optional<std::wstring> login;
    std::optional<std::wstring> log_file;  // instead of %ProgramData%\Korvena\dbinstall.log
    std::optional<std::wstring> result_file;  // --result-json: where the result document goes
    install::StoreMode store_mode = install::StoreMode::single_store;
    bool drop_existing = false;
    bool safety_backup = true;        // --no-safety-backup: the old database is dropped without a backup
    bool show_progress = false;       // --progress
    bool verify_certificate = false;  // verify the server's certificate instead of trusting it
    bool windows_authentication = false;  // --windows-auth: connect as this Windows account, no password
    bool configure_server = false;        // --configure-server: change what the tills need, restarting the server
    bool check = false;                   // --check: a dry run, answering whether an install would go through
};

struct UsageError {
    std::wstring reason;  // one line, no usage text
};

enum class Mode { interactive, unattended, help, version };

// Which way the program was started: only a first argument of --unattended,
// --help or --version changes it from the window.
Mode mode_of(const std::vector<std::wstring>& arguments);

// Parses the arguments after --unattended.
std::variant<UnattendedOptions, UsageError> parse_unattended(const std::vector<std::wstring>& arguments);

// The value after the last --result-json, even when the rest of the command
// line is wrong: a usage error is reported in the result document too.
std::optional<std::wstring> result_file_named(const std::vector<std::wstring>& arguments);

// The usage lines, and with `with_exit_statuses` the meaning of each status.
std::wstring usage_text(bool with_exit_statuses);

// "dbinstall 1.0.0" and a line end: the program's name and version.
std::wstring version_text();

}  // namespace unattended
