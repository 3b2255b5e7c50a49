// Command-line parsing.
#include "command_line.h"

#include "fault_rule.h"
#include "engine/text.h"

#include <cctype>
#include <charconv>
#include <unistd.h>

namespace emulator::tds {

const char kUsage[] =
    "usage: sqlserver-emulator --sa-password PW [--listen ADDR:PORT] [--state DIR]\n"
    "                          [--drive LETTER=DIR]... [--fault RULE]... [--init-sql FILE]\n"
    "                          [--machine-name NAME] [--password-policy] [--free-mb LETTER=MB]...\n"
    "  RULE: fail:TEXT:NUMBER | fail-once:TEXT:NUMBER | drop:TEXT | delay:TEXT:MS | hang-login\n"
    "  --machine-name     the computer name the server reports (default: this host's, in capitals)\n"
    "  --password-policy  logins must meet Windows' password policy (length 7, three kinds of character)\n"
    "  --free-mb          the free space xp_fixeddrives reports for a mapped drive, which the\n"
    "                     server's own files then take from; other drives report their real space\n";

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
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--password-policy") {
            options.password_policy = true;
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
            options.listen = std::get<ListenAddress>(address);
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
    return options;
}

}  // namespace emulator::tds
