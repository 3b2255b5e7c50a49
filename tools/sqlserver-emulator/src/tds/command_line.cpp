// Command-line parsing.
#include "command_line.h"

#include "browser.h"
#include "fault_rule.h"
#include "engine/server_release.h"
#include "engine/text.h"

#include <cctype>
#include <charconv>
#include <unistd.h>

namespace emulator::tds {

const char kUsage[] =
    "usage: sqlserver-emulator --help\n"
    "       sqlserver-emulator --sa-password PW [--listen ADDR:PORT]... [--state DIR]\n"
    "                          [--drive LETTER=DIR]... [--fault RULE]... [--init-sql FILE]\n"
    "                          [--machine-name NAME] [--password-policy] [--free-mb LETTER=MB]...\n"
    "                          [--instance-name NAME] [--browser ADDR]... [--windows-auth-only]\n"
    "                          [--windows-login DOMAIN\\USER]... [--startup-delay SECONDS]\n"
    "                          [--stop-file PATH]\n"
    "                          [--product-version VERSION] [--edition EDITION]\n"
    "                          [--default-data-path DIR] [--default-log-path DIR] [--unreadable DIR]...\n"
    "  --sa-password      the password of the login sa\n"
    "  --state            the folder the catalog is kept in (default: a temporary one, removed at exit)\n"
    "  --drive            maps a drive letter of the server's paths (C:\\...) to a host folder\n"
    "  --fault            fails, drops, delays or hangs the statements (or logins) a rule matches;\n"
    "                     TEXT is part of a statement, any case. drop closes the connection instead of\n"
    "                     running the statement, drop-after runs it and closes before its answer\n"
    "    RULE: fail:TEXT:NUMBER | fail-once:TEXT:NUMBER | drop:TEXT | drop-after:TEXT | delay:TEXT:MS\n"
    "          | hang-login\n"
    "  --init-sql         T-SQL run before the server listens, GO lines between batches; it runs as\n"
    "                     sa, or with --windows-auth-only as the first --windows-login\n"
    "  --listen           a loopback address and TCP port (default 127.0.0.1:1433); given again, the\n"
    "                     server listens there too, and port 0 then means the first address's port.\n"
    "                     One \"listening on ADDR:PORT\" line per address is printed, the first first\n"
    "  --machine-name     the computer name the server reports (default: this host's, in capitals)\n"
    "  --password-policy  logins must meet Windows' password policy (length 7, three kinds of character)\n"
    "  --free-mb          the free space xp_fixeddrives reports for a mapped drive, which the\n"
    "                     server's own files then take from; other drives report their real space\n"
    "  --instance-name    a named instance (default: the default instance)\n"
    "  --browser          answer SQL Server Browser requests for the instance on UDP ADDR:1434\n"
    "  --windows-auth-only  Windows authentication mode: every SQL Server login, sa too, is refused\n"
    "  --windows-login    a Windows login, sysadmin; it logs in with NTLM (FreeTDS: UID=DOMAIN\\USER)\n"
    "                     and Windows, not the server, checks its password\n"
    "  --startup-delay    for this long after it listens the server is still starting up: it closes\n"
    "                     each new connection after its PRELOGIN, then serves normally\n"
    "  --stop-file        stop, with the state saved, when this file appears; the server removes the\n"
    "                     file as it exits\n"
    "  --product-version  the SQL Server the server plays, as MAJOR.MINOR.BUILD.REVISION of a release\n"
    "                     from 2000 (8.0) to 2022 (16.0) (default 15.0.2000.5, SQL Server 2019 RTM):\n"
    "                     its version, password hashes and backups, and which backups it restores\n"
    "  --edition          express | standard | enterprise (default standard, which limits no\n"
    "                     database's size); express keeps each database's data files within 10 GB\n"
    "                     (4 GB before 2008 R2)\n"
    "  --default-data-path, --default-log-path\n"
    "                     the Windows folders SERVERPROPERTY names and plain CREATE DATABASE uses\n"
    "                     (default: the folder of master's files, C:\\Program Files\\Microsoft SQL\n"
    "                     Server\\MSSQL\\data\\; the log folder defaults to the data folder)\n"
    "  --unreadable       a Windows folder the server's service account may not open: backups,\n"
    "                     database files and xp_fileexist there fail as for access denied\n"
    "  SIGTERM and SIGINT stop the server too, with the state saved.\n";

namespace {

std::optional<std::string> add_drive(Options& options, const std::string& value) {
    if (value.size() < 3 || value[1] != '=' || !std::isalpha(static_cast<unsigned char>(value[0])))
        return "--drive expects LETTER=DIR, got '" + value + "'";
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
    if (!options.drives.emplace(letter, value.substr(2)).second)
        return std::string("drive ") + letter + ": is given twice";
    return std::nullopt;
}

std::optional<std::string> add_fault(Options& options, const std::string& value) {
    auto parsed = parse_fault_rule(value);
    if (auto* reason = std::get_if<std::string>(&parsed)) return *reason;
    if (std::holds_alternative<HangLogin>(parsed))
        options.login_mode = LoginMode::hang;
    else
        options.faults.push_back(std::get<FaultRule>(std::move(parsed)));
    return std::nullopt;
}

// Setup's rules for an instance name: up to 16 characters, a letter first,
// then letters, digits, '$' or '_', not ending in '_', not containing
// "Default"; MSSQLSERVER names the default instance, which has no name.
std::optional<std::string> set_instance_name(Options& options, const std::string& value) {
    const std::string reason = "--instance-name '" + value + "' is not a valid SQL Server instance name";
    if (value.empty() || value.size() > 16 || !std::isalpha(static_cast<unsigned char>(value[0])) ||
        value.back() == '_')
        return reason;
    for (char c : value)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '$') return reason;
    const std::u16string name = from_utf8(value);
    if (equals_ci(name, u"MSSQLSERVER") || to_upper(name).find(u"DEFAULT") != std::u16string::npos) return reason;
    options.instance.instance_name = name;
    return std::nullopt;
}

std::optional<std::string> add_windows_login(Options& options, const std::string& value) {
    const size_t backslash = value.find('\\');
    if (backslash == std::string::npos || backslash == 0 || backslash + 1 == value.size() ||
        value.find('\\', backslash + 1) != std::string::npos)
        return "--windows-login expects DOMAIN\\USER, got '" + value + "'";
    options.instance.windows_logins.push_back(from_utf8(value));
    return std::nullopt;
}

std::optional<std::string> add_browser(Options& options, const std::string& value) {
    const bool ipv6 = value.find(':') != std::string::npos;
    auto address = parse_listen_address((ipv6 ? "[" + value + "]" : value) + ":" + std::to_string(kBrowserPort));
    if (auto* reason = std::get_if<std::string>(&address)) return "--browser: " + *reason;
    options.browser.push_back(std::get<ListenAddress>(address));
    return std::nullopt;
}

std::optional<std::string> set_startup_delay(Options& options, const std::string& value) {
    double seconds = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (value.empty() || error != std::errc() || end != value.data() + value.size() || !(seconds >= 0) ||
        seconds > 3600)
        return "--startup-delay expects seconds (0 to 3600), got '" + value + "'";
    options.startup_delay = std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000));
    return std::nullopt;
}

std::optional<std::string> add_free_space(Options& options, const std::string& value) {
    const std::string reason = "--free-mb expects LETTER=MB, got '" + value + "'";
    if (value.size() < 3 || value[1] != '=' || !std::isalpha(static_cast<unsigned char>(value[0]))) return reason;
    int64_t megabytes = 0;
    const char* digits = value.data() + 2;
    const auto [end, error] = std::from_chars(digits, value.data() + value.size(), megabytes);
    if (error != std::errc() || end != value.data() + value.size() || megabytes < 0 || megabytes > (INT64_MAX >> 20))
        return reason;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
    if (!options.free_mb.emplace(letter, megabytes).second)
        return std::string("--free-mb gives drive ") + letter + ": twice";
    return std::nullopt;
}

// A Windows folder given as DRIVE:\\path, kept with one trailing backslash.
std::optional<std::string> windows_folder(const std::string& name, const std::string& value, std::u16string& folder) {
    if (value.size() < 3 || !std::isalpha(static_cast<unsigned char>(value[0])) || value[1] != ':' || value[2] != '\\')
        return name + " expects a Windows folder such as C:\\data, got '" + value + "'";
    folder = from_utf8(value);
    if (!folder.ends_with(u'\\')) folder += u'\\';
    return std::nullopt;
}

}  // namespace

std::u16string default_machine_name() {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) return u"LOCALHOST";
    std::string name(host);
    name = name.substr(0, name.find('.'));
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return from_utf8(name);
}

std::variant<Options, std::string> parse_command_line(const std::vector<std::string>& arguments) {
    Options options;
    bool have_password = false;
    bool listen_given = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--password-policy") {
            options.password_policy = true;
            continue;
        }
        if (name == "--windows-auth-only") {
            options.instance.windows_authentication_only = true;
            continue;
        }
        if (i + 1 == arguments.size())
            return name.starts_with("--") ? name + " needs a value" : "unexpected argument '" + name + "'";
        const std::string& value = arguments[++i];
        std::optional<std::string> problem;
        if (name == "--sa-password") {
            options.sa_password = from_utf8(value);
            have_password = true;
        } else if (name == "--listen") {
            auto address = parse_listen_address(value);
            if (auto* reason = std::get_if<std::string>(&address)) return "--listen: " + *reason;
            if (!listen_given) options.listen.clear();
            listen_given = true;
            options.listen.push_back(std::get<ListenAddress>(address));
        } else if (name == "--state") {
            options.state_dir = value;
        } else if (name == "--drive") {
            problem = add_drive(options, value);
        } else if (name == "--fault") {
            problem = add_fault(options, value);
        } else if (name == "--init-sql") {
            options.init_sql = value;
        } else if (name == "--machine-name") {
            if (value.empty()) return "--machine-name needs a name";
            options.machine_name = from_utf8(value);
        } else if (name == "--free-mb") {
            problem = add_free_space(options, value);
        } else if (name == "--instance-name") {
            problem = set_instance_name(options, value);
        } else if (name == "--windows-login") {
            problem = add_windows_login(options, value);
        } else if (name == "--browser") {
            problem = add_browser(options, value);
        } else if (name == "--startup-delay") {
            problem = set_startup_delay(options, value);
        } else if (name == "--stop-file") {
            options.stop_file = value;
        } else if (name == "--product-version") {
            const auto version = parse_product_version(value);
            if (!version)
                return "--product-version expects MAJOR.MINOR.BUILD.REVISION of a SQL Server release, got '" + value + "'";
            options.product_version = *version;
        } else if (name == "--edition") {
            const auto edition = parse_edition(value);
            if (!edition) return "--edition expects express, standard or enterprise, got '" + value + "'";
            options.edition = *edition;
        } else if (name == "--default-data-path") {
            problem = windows_folder(name, value, options.default_data_path);
        } else if (name == "--default-log-path") {
            problem = windows_folder(name, value, options.default_log_path);
        } else if (name == "--unreadable") {
            problem = windows_folder(name, value, options.unreadable.emplace_back());
        } else {
            return "unknown option '" + name + "'";
        }
        if (problem) return *problem;
    }
    if (!have_password) return "--sa-password is required";
    for (const auto& [letter, megabytes] : options.free_mb)
        if (!options.drives.count(letter))
            return std::string("--free-mb names drive ") + letter + ":, which no --drive maps";
    if (options.machine_name.empty()) options.machine_name = default_machine_name();
    if (options.init_sql && options.instance.windows_authentication_only && options.instance.windows_logins.empty())
        return "--init-sql on a server with --windows-auth-only needs a --windows-login to run as";
    if (options.edition == Edition::express && !release_of(options.product_version.version).express_limit_mb)
        return "SQL Server 2000 had no Express edition";
    return options;
}

}  // namespace emulator::tds
