// sqlserver-emulator: the loopback SQL Server stand-in. Parses the command
// line, opens the engine on its state folder, runs the init script, then
// serves TDS (and the Browser's answers) until SIGTERM, SIGINT or the stop
// file, saving the state on the way out.
#include "engine/engine.h"
#include "engine/server_release.h"
#include "engine/text.h"
#include "tds/browser.h"
#include "tds/command_line.h"
#include "tds/init_script.h"
#include "tds/listener.h"
#include "tds/serve_client.h"
#include "tds/stop_file.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

using emulator::tds::Options;

// The state folder; a temporary one is removed when the process ends.
class StateFolder {
public:
    explicit StateFolder(const std::optional<std::filesystem::path>& chosen) {
        if (chosen) {
            path_ = *chosen;
            std::filesystem::create_directories(path_);
            return;
        }
        std::string pattern = (std::filesystem::temp_directory_path() / "sqlserver-emulator-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary state folder");
        path_ = pattern;
        temporary_ = true;
    }
    ~StateFolder() {
        std::error_code ignored;
        if (temporary_) std::filesystem::remove_all(path_, ignored);
    }
    StateFolder(const StateFolder&) = delete;
    StateFolder& operator=(const StateFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    bool temporary_ = false;
};

int serve(const Options& options, int stop_fd) {
    std::optional<emulator::tds::StopFileWatcher> stop_file;
    if (options.stop_file) stop_file.emplace(*options.stop_file);
    StateFolder state(options.state_dir);
    emulator::Engine engine(emulator::EngineOptions{state.path(), options.drives, options.faults, options.sa_password,
                                                    options.machine_name, options.password_policy, options.free_mb,
                                                    options.instance, options.product_version, options.edition,
                                                    options.default_data_path, options.default_log_path,
                                                    options.unreadable});
    if (options.init_sql) {
        if (auto failure =
                emulator::tds::run_init_script(engine, options.sa_password, options.instance, *options.init_sql)) {
            std::cerr << "sqlserver-emulator: --init-sql " << options.init_sql->string() << ": " << *failure;
            if (!failure->ends_with('\n')) std::cerr << '\n';
            return 1;
        }
    }
    emulator::tds::Listener listener(options.listen);
    std::optional<emulator::tds::BrowserResponder> browser;
    if (!options.browser.empty())
        browser.emplace(options.browser,
                        emulator::tds::BrowserInstance{emulator::to_upper(options.machine_name),
                                                       options.instance.instance_name,
                                                       emulator::product_version_text(options.product_version),
                                                       listener.addresses().front().port});
    for (const auto& address : listener.addresses()) std::cout << "listening on " << address.to_string() << '\n';
    std::cout << std::flush;
    const emulator::tds::ClientService service{options.login_mode, options.machine_name,
                                               std::chrono::steady_clock::now() + options.startup_delay};
    listener.run(stop_fd, [&](emulator::tds::Socket& socket) { emulator::tds::serve_client(socket, engine, service); });
    engine.save();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && arguments[0] == "--help") {
        std::cout << emulator::tds::kUsage;
        return 0;
    }
    auto parsed = emulator::tds::parse_command_line(arguments);
    if (auto* reason = std::get_if<std::string>(&parsed)) {
        std::cerr << "sqlserver-emulator: " << *reason << '\n' << emulator::tds::kUsage;
        return 2;
    }
    // Blocked before any thread starts, so every thread inherits the mask and
    // the signals reach only the signalfd the accept loop watches.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGTERM);
    sigaddset(&stop_signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    const int stop_fd = signalfd(-1, &stop_signals, SFD_CLOEXEC);
    if (stop_fd < 0) {
        std::perror("sqlserver-emulator: signalfd");
        return 1;
    }
    try {
        const int status = serve(std::get<Options>(parsed), stop_fd);
        close(stop_fd);
        return status;
    } catch (const std::exception& error) {
        std::cerr << "sqlserver-emulator: " << error.what() << '\n';
        return 1;
    }
}
