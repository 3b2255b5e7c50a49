// Registering sql-service.exe with Wine's SCM and driving it with sc.exe.
#include "service_instance.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <thread>

namespace e2e {

namespace {

constexpr char sql_server_key[] = "HKLM\\SOFTWARE\\Microsoft\\Microsoft SQL Server";
constexpr auto state_timeout = std::chrono::seconds(90);

// The Windows name of a host file: Wine maps the host's / to Z:.
std::string windows_name(const std::filesystem::path& host_path) {
    std::string name = "Z:" + host_path.string();
    for (char& c : name)
        if (c == '/') c = '\\';
    return name;
}

// One argument of the service's command line as CommandLineToArgvW reads it
// back: quoted when it holds blanks, backslashes doubled only before the
// closing quote. The tests' values hold no quotes.
std::string quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t") == std::string::npos) return argument;
    const size_t trailing = argument.size() - argument.find_last_not_of('\\') - 1;
    return "\"" + argument + std::string(argument.empty() ? 0 : trailing, '\\') + "\"";
}

std::string image_path(const InstanceKeys& keys, const ServiceSetup& setup) {
    std::string command = windows_name(KORVENA_SQL_SERVICE_EXE);
    auto add = [&](const std::string& option, const std::string& value) {
        command += " " + option + " " + quoted(value);
    };
    add("--instance", keys.instance_name);
    add("--emulator", KORVENA_EMULATOR);
    add("--state", setup.state_folder.string());
    add("--drive-c", setup.drive_c.string());
    add("--sa-password", setup.sa_password);
    for (const auto& login : setup.windows_logins) add("--windows-login", login);
    for (const auto& address : setup.listen_addresses) add("--listen-address", address);
    if (!setup.browser_address.empty()) add("--browser-address", setup.browser_address);
    for (const auto& option : setup.emulator_options) add("--emulator-option", option);
    return command;
}

}  // namespace

ServiceInstance::ServiceInstance(const WineSession& wine, InstanceKeys keys, ServiceSetup setup)
    : wine_(wine), keys_(std::move(keys)), setup_(std::move(setup)) {
    const std::string root = instance_key();
    wine_.set_registry_value(std::string(sql_server_key) + "\\Instance Names\\SQL", keys_.instance_name, "REG_SZ",
                             keys_.instance_id, keys_.view);
    wine_.set_registry_value(root + "\\Setup", "SQLDataRoot", "REG_SZ", keys_.data_root, keys_.view);
    set_login_mode(keys_.login_mode);
    const std::string tcp = root + "\\MSSQLServer\\SuperSocketNetLib\\Tcp";
    wine_.set_registry_value(tcp, "Enabled", "REG_DWORD", keys_.tcp_enabled ? "1" : "0", keys_.view);
    wine_.set_registry_value(tcp + "\\IPAll", "TcpPort", "REG_SZ", keys_.tcp_port, keys_.view);
    wine_.set_registry_value(tcp + "\\IPAll", "TcpDynamicPorts", "REG_SZ", keys_.tcp_dynamic_ports, keys_.view);

    wine_.run_windows_program({"sc", "create", service_name(), "binPath=", image_path(keys_, setup_), "start=",
                               "demand"});
    wine_.run_windows_program({"sc", "create", browser_service, "binPath=",
                               windows_name(KORVENA_SQL_SERVICE_EXE) + " --browser-service", "start=", "demand"});
}

ServiceInstance::~ServiceInstance() {
    for (const std::string& service : {service_name(), std::string(browser_service)}) {
        if (state(service) != "STOPPED") {
            wine_.run_windows_program({"sc", "stop", service});
            wait_for(service, "STOPPED");
        }
        wine_.run_windows_program({"sc", "delete", service});
    }
    wine_.remove_registry_key(instance_key(), keys_.view);
    wine_.remove_registry_key(std::string(sql_server_key) + "\\Instance Names", keys_.view);
    const auto left = processes_naming(setup_.state_folder.string());
    if (!left.empty()) ADD_FAILURE() << "the stand-in still runs after its service stopped:\n" << log();
    for (const pid_t pid : left) kill(pid, SIGKILL);
}

std::string ServiceInstance::instance_key() const { return std::string(sql_server_key) + "\\" + keys_.instance_id; }

std::string ServiceInstance::service_name() const {
    return keys_.instance_name == "MSSQLSERVER" ? keys_.instance_name : "MSSQL$" + keys_.instance_name;
}

bool ServiceInstance::start() {
    wine_.run_windows_program({"sc", "start", service_name()});
    return wait_for(service_name(), "RUNNING");
}

bool ServiceInstance::stop() {
    wine_.run_windows_program({"sc", "stop", service_name()});
    return wait_for(service_name(), "STOPPED");
}

std::string ServiceInstance::state(const std::string& service) const {
    const std::string output = wine_.run_windows_program({"sc", "query", service}).output;
    const std::string marker = "STATE              : ";
    const size_t at = output.find(marker);
    if (at == std::string::npos) return "";
    // "4  RUNNING": the number, then the name.
    const size_t name = output.find_first_not_of("0123456789 ", at + marker.size());
    return output.substr(name, output.find_first_of("\r\n", name) - name);
}

bool ServiceInstance::wait_for(const std::string& service, const std::string& wanted) const {
    const auto deadline = std::chrono::steady_clock::now() + state_timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        const std::string now = state(service);
        if (now == wanted) return true;
        // A start that failed ends in STOPPED: no use waiting for RUNNING.
        if (wanted == "RUNNING" && now == "STOPPED") return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
}

int ServiceInstance::port() const {
    const auto values =
        wine_.registry_values(instance_key() + "\\MSSQLServer\\SuperSocketNetLib\\Tcp\\IPAll", keys_.view);
    for (const char* name : {"TcpPort", "TcpDynamicPorts"}) {
        const auto found = values.find(name);
        if (found != values.end() && !found->second.empty() && found->second != "0") return std::stoi(found->second);
    }
    return 0;
}

void ServiceInstance::set_login_mode(int mode) const {
    wine_.set_registry_value(instance_key() + "\\MSSQLServer", "LoginMode", "REG_DWORD", std::to_string(mode),
                             keys_.view);
}

std::string ServiceInstance::log() const { return read_file(setup_.state_folder.string() + ".log"); }

std::vector<pid_t> processes_naming(const std::string& text) {
    std::vector<pid_t> found;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string command_line = read_file(entry.path() / "cmdline");
        if (command_line.find(text) != std::string::npos) found.push_back(std::stoi(name));
    }
    return found;
}

}  // namespace e2e
