// Parsing of the unattended command line.
#include "command_line.h"

#include "dbinstall_version.h"

#include <map>

namespace unattended {
namespace {

std::optional<install::StoreMode> store_mode_named(const std::wstring& word) {
    for (auto mode : {install::StoreMode::single_store, install::StoreMode::chain_headquarters,
                      install::StoreMode::chain_branch})
        if (word == install::store_mode_word(mode)) return mode;
    return std::nullopt;
}

}  // namespace

Mode mode_of(const std::vector<std::wstring>& arguments) {
    if (arguments.empty()) return Mode::interactive;
    if (arguments.front() == L"--unattended") return Mode::unattended;
    if (arguments.front() == L"--help") return Mode::help;
    if (arguments.front() == L"--version") return Mode::version;
    return Mode::interactive;
}

std::variant<UnattendedOptions, UsageError> parse_unattended(const std::vector<std::wstring>& arguments) {
    UnattendedOptions options;
    const std::map<std::wstring, std::optional<std::wstring>*> texts = {
        {L"--server", &options.server},
        {L"--data-path", &options.data_path},
        {L"--template", &options.template_file},
        {L"--login", &options.login},
        {L"--log", &options.log_file},
        {L"--result-json", &options.result_file},
    };
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (argument == L"--drop-existing") {
            options.drop_existing = true;
            continue;
        }
        if (argument == L"--no-safety-backup") {
            options.safety_backup = false;
            continue;
        }
        if (argument == L"--progress") {
            options.show_progress = true;
            continue;
        }
        if (argument == L"--verify-certificate") {
            options.verify_certificate = true;
            continue;
        }
        if (argument == L"--windows-auth") {
            options.windows_authentication = true;
            continue;
        }
        if (argument == L"--configure-server") {
            options.configure_server = true;
            continue;
        }
        if (argument == L"--check") {
            options.check = true;
            continue;
        }
        const bool takes_value = texts.count(argument) > 0 || argument == L"--store-mode";
        if (!takes_value) return UsageError{L"unknown option: " + argument};
        if (i + 1 >= arguments.size()) return UsageError{L"missing value after " + argument};
        const std::wstring& value = arguments[++i];
        if (argument == L"--store-mode") {
            const std::optional<install::StoreMode> mode = store_mode_named(value);
            if (!mode) return UsageError{L"unknown store mode: " + value + L" (single, headquarters or branch)"};
            options.store_mode = *mode;
        } else {
            *texts.at(argument) = value;
        }
    }
    return options;
}

std::optional<std::wstring> result_file_named(const std::vector<std::wstring>& arguments) {
    std::optional<std::wstring> file;
    for (size_t i = 0; i + 1 < arguments.size(); ++i)
        if (arguments[i] == L"--result-json") file = arguments[i + 1];
    return file;
}

std::wstring usage_text(bool with_exit_statuses) {
    std::wstring text =
        L"usage: dbinstall.exe --unattended [--server NAME] [--data-path PATH] [--template FILE]\n"
        L"                     [--login LOGIN | --windows-auth] [--store-mode single|headquarters|branch]\n"
        L"                     [--drop-existing] [--no-safety-backup] [--configure-server]\n"
        L"                     [--verify-certificate] [--progress] [--log FILE] [--result-json FILE] [--check]\n"
        L"       dbinstall.exe --help\n"
        L"       dbinstall.exe --version\n"
        L"Scripts call dbinstall.com, the console build, with the same options; it waits and returns the status.\n"
        L"The administrator's password is taken from the environment variable KORVENA_SA_PASSWORD.\n"
        L"--windows-auth: connect as the Windows account running the program instead of a login and password.\n"
        L"--configure-server: where the store's tills could not log in (SQL Server logins or TCP/IP switched\n"
        L"off, a named instance whose SQL Server Browser does not start by itself), change that setting and\n"
        L"restart the SQL Server service before anything else is changed; without it the run is refused.\n"
        L"Options left out take the values the installer window would show.\n"
        L"--verify-certificate: encrypt and verify the server's certificate (ODBC Driver 17 or 18 for\n"
        L"SQL Server, SQL Server Native Client 11.0); without it Driver 17 and 18 encrypt and accept the\n"
        L"server's self-signed certificate.\n"
        L"--result-json FILE: write how the run ended, as JSON, to FILE at every end.\n"
        L"--check: a dry run. Connect, run every check an install runs before it changes anything, look at\n"
        L"the old database, and stop: nothing on the server or this computer is changed, no question asked.\n"
        L"Status 0 when an install with the same options would go through, 8 with the reason when not;\n"
        L"what was learnt goes to the result document's \"check\".\n";
    if (with_exit_statuses) {
        text +=
            L"Exit status:\n"
            L"  0  the database was installed (--check: an install with the same options would go through)\n"
            L"  1  the install failed; what it changed was undone, the old database is there\n"
            L"  2  usage error\n"
            L"  3  the template file is missing\n"
            L"  4  the server could not be reached\n"
            L"  5  an old database is present and --drop-existing was not given\n"
            L"  6  the old database is in use\n"
            L"  7  a name in dbinstall.ini was refused\n"
            L"  8  refused by the checks before the install (--check: an install would not go through):\n"
            L"     nothing was changed\n"
            L"  9  dbinstall.com could not start dbinstall.exe for the window\n"
            L" 10  the database was installed, but the store application cannot log in\n"
            L" 11  the install failed after the old database was dropped, and it could not be put back:\n"
            L"     its safety backup is named in the message, the log and the result document\n"
            L" 12  the server refused the administrator's login (password, disabled account, Windows-only\n"
            L"     server): a retry cannot help\n"
            L" 13  another install is running on this computer: nothing was done\n"
            L" 14  stopped by Ctrl+C or Ctrl+Break before anything on the server was changed\n";
    }
    return text;
}

std::wstring version_text() {
    return L"dbinstall " KORVENA_VERSION_TEXT L"\n";
}

}  // namespace unattended
