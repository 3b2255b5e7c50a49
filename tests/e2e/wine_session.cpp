// Running Windows programs in the test session's prefix.
#include "wine_session.h"

#include <cstdlib>
#include <sstream>

namespace e2e {

namespace {

constexpr auto windows_program_timeout = std::chrono::seconds(60);

std::string environment_value(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

WineSession::WineSession() : prefix_(environment_value("WINEPREFIX")), display_(environment_value("DISPLAY")) {}

ProcessOptions WineSession::wine(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin(), "wine");
    // Wine decodes its command line in the host locale, and the steps and
    // paths carry Chinese text.
    return ProcessOptions{std::move(arguments),
                          {},
                          {"WINEPREFIX=" + prefix_.string(), "DISPLAY=" + display_, "WINEDEBUG=-all",
                           "WINEDLLOVERRIDES=mscoree,mshtml=", "LC_ALL=C.UTF-8"},
                          {},
                          {}};
}

std::unique_ptr<ChildProcess> WineSession::start_installer(const std::filesystem::path& working_directory) const {
    ProcessOptions options = wine({KORVENA_DBINSTALL_EXE});
    options.working_directory = working_directory;
    options.output_file = working_directory.parent_path() / "dbinstall.out";
    return std::make_unique<ChildProcess>(options);
}

ProgramResult WineSession::run_command_line(const std::filesystem::path& working_directory,
                                           const std::vector<std::string>& arguments, const std::string& sa_password,
                                           std::chrono::seconds timeout) const {
    return run_command_line_of(KORVENA_DBINSTALL_EXE, working_directory, arguments, sa_password, timeout);
}

ProgramResult WineSession::run_command_line_of(const std::filesystem::path& program,
                                              const std::filesystem::path& working_directory,
                                              const std::vector<std::string>& arguments,
                                              const std::string& sa_password, std::chrono::seconds timeout) const {
    return run_program(command_line_of(program, working_directory, arguments, sa_password), timeout,
                       Streams::separate);
}

std::unique_ptr<ChildProcess> WineSession::start_command_line_of(const std::filesystem::path& program,
                                                                 const std::filesystem::path& working_directory,
                                                                 const std::vector<std::string>& arguments,
                                                                 const std::string& sa_password,
                                                                 const std::filesystem::path& output_file) const {
    ProcessOptions options = command_line_of(program, working_directory, arguments, sa_password);
    options.output_file = output_file;
    return std::make_unique<ChildProcess>(options);
}

ProcessOptions WineSession::command_line_of(const std::filesystem::path& program,
                                            const std::filesystem::path& working_directory,
                                            const std::vector<std::string>& arguments,
                                            const std::string& sa_password) const {
    std::vector<std::string> command{program.string()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    ProcessOptions options = wine(command);
    options.working_directory = working_directory;
    options.extra_env.push_back("KORVENA_SA_PASSWORD=" + sa_password);
    return options;
}

ProgramResult WineSession::run_windows_program(const std::vector<std::string>& arguments) const {
    return run_program(wine(arguments), windows_program_timeout);
}

void WineSession::kill_program(const std::string& image_name) const {
    run_windows_program({"taskkill", "/f", "/im", image_name});
}

DriverRun WineSession::run_driver(const std::vector<std::string>& steps, std::chrono::seconds step_timeout,
                                  std::chrono::seconds run_timeout) const {
    std::vector<std::string> arguments{KORVENA_E2E_DRIVER_EXE, "--timeout=" + std::to_string(step_timeout.count())};
    arguments.insert(arguments.end(), steps.begin(), steps.end());
    const ProgramResult result = run_program(wine(arguments), run_timeout);
    return DriverRun{result.exit_code, parse_driver_output(result.output), result.output};
}

namespace {

const char* switch_of(RegistryView view) { return view == RegistryView::bits64 ? "/reg:64" : "/reg:32"; }

// reg query's "    NAME    REG_SZ    DATA" lines.
std::map<std::string, std::string> string_values(const std::string& output) {
    std::map<std::string, std::string> values;
    std::istringstream lines(output);
    std::string line;
    const std::string marker = "    REG_SZ    ";
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t at = line.find(marker);
        if (at == std::string::npos) continue;
        const size_t name_start = line.find_first_not_of(' ');
        values[line.substr(name_start, at - name_start)] = line.substr(at + marker.size());
    }
    return values;
}

}  // namespace

std::optional<std::string> WineSession::registry_value(const std::string& key, const std::string& name) const {
    const ProgramResult result = run_program(wine({"reg", "query", key, "/v", name, "/reg:32"}), windows_program_timeout);
    if (result.exit_code != 0) return std::nullopt;
    const auto values = string_values(result.output);
    const auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    return found->second;
}

std::map<std::string, std::string> WineSession::registry_values(const std::string& key, RegistryView view) const {
    const ProgramResult result = run_program(wine({"reg", "query", key, switch_of(view)}), windows_program_timeout);
    if (result.exit_code != 0) return {};
    return string_values(result.output);
}

std::optional<unsigned long> WineSession::registry_dword(const std::string& key, const std::string& name,
                                                       RegistryView view) const {
    const ProgramResult result = run_windows_program({"reg", "query", key, "/v", name, switch_of(view)});
    const std::string marker = "    REG_DWORD    ";
    const size_t at = result.output.find(marker);
    if (result.exit_code != 0 || at == std::string::npos) return std::nullopt;
    return std::stoul(result.output.substr(at + marker.size()), nullptr, 16);
}

void WineSession::set_registry_value(const std::string& key, const std::string& name, const std::string& type,
                                     const std::string& data, RegistryView view) const {
    run_windows_program({"reg", "add", key, "/v", name, "/t", type, "/d", data, switch_of(view), "/f"});
}

void WineSession::remove_registry_key(const std::string& key, RegistryView view) const {
    run_program(wine({"reg", "delete", key, switch_of(view), "/f"}), windows_program_timeout);
}

void WineSession::remove_registry_value(const std::string& key, const std::string& name) const {
    for (const char* view : {"/reg:32", "/reg:64"})
        run_program(wine({"reg", "delete", key, "/v", name, view, "/f"}), windows_program_timeout);
}

void WineSession::seed_sql_server_registry(const std::string& data_root) const {
    ProcessOptions options{{KORVENA_SEED_REGISTRY_SCRIPT, prefix_.string(), "KORVENA", data_root}, {}, {}, {}, {}};
    run_program(options, windows_program_timeout);
}

void WineSession::seed_current_sql_server_registry(const std::string& data_root) const {
    ProcessOptions options{{KORVENA_SEED_REGISTRY_SCRIPT, prefix_.string(), "--current", data_root}, {}, {}, {}, {}};
    run_program(options, windows_program_timeout);
}

void WineSession::seed_sql_server_instance(const std::string& name, const std::string& data_root,
                                           int login_mode) const {
    ProcessOptions options{
        {KORVENA_SEED_REGISTRY_SCRIPT, prefix_.string(), "--instance", name, data_root, std::to_string(login_mode)},
        {}, {}, {}, {}};
    run_program(options, windows_program_timeout);
}

void WineSession::remove_sql_server_registry() const {
    ProcessOptions options{{KORVENA_SEED_REGISTRY_SCRIPT, prefix_.string(), "--remove"}, {}, {}, {}, {}};
    run_program(options, windows_program_timeout);
}

}  // namespace e2e
