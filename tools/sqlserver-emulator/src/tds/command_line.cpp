// Command-line parsing.
#include "command_line.h"

#include "fault_rule.h"
#include "engine/text.h"

#include <cctype>

namespace emulator::tds {

const char kUsage[] =
    "usage: sqlserver-emulator --sa-password PW [--listen ADDR:PORT] [--state DIR]\n"
    "                          [--drive LETTER=DIR]... [--fault RULE]... [--init-sql FILE]\n"
    "  RULE: fail:TEXT:NUMBER | drop:TEXT | delay:TEXT:MS | hang-login\n";

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

}  // namespace

std::variant<Options, std::string> parse_command_line(const std::vector<std::string>& arguments) {
    Options options;
    bool have_password = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
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
        } else {
            return "unknown option '" + name + "'";
        }
        if (problem) return *problem;
    }
    if (!have_password) return "--sa-password is required";
    return options;
}

}  // namespace emulator::tds
