// Starting and stopping sqlserver-emulator for one test.
#include "stand_in_server.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <regex>
#include <thread>

namespace e2e {

namespace {

constexpr auto start_timeout = std::chrono::seconds(20);

std::vector<std::string> command_line(const StandInOptions& options) {
    std::vector<std::string> argv{KORVENA_EMULATOR, "--sa-password", options.sa_password, "--listen", options.host + ":" + std::to_string(options.port),
                                  "--state", options.state_folder.string(), "--drive",
                                  "C=" + options.drive_c.string()};
    for (const auto& rule : options.faults) {
        argv.push_back("--fault");
        argv.push_back(rule);
    }
    argv.insert(argv.end(), options.arguments.begin(), options.arguments.end());
    if (!options.init_sql.empty()) {
        argv.push_back("--init-sql");
        argv.push_back(options.init_sql.string());
    }
    return argv;
}

// The port of the first "listening on ADDR:PORT" line, or 0.
int listening_port(const std::string& output) {
    static const std::regex line("(^|\n)listening on [^\n]*:([0-9]+)\r?\n");
    std::smatch match;
    return std::regex_search(output, match, line) ? std::stoi(match[2]) : 0;
}

}  // namespace

bool prepare_state(const StandInOptions& options) {
    StandInServer server(options);
    return server.port() != 0;
}

StandInServer::StandInServer(const StandInOptions& options)
    : host_(options.host),
      output_file_(options.state_folder.parent_path() / (options.state_folder.filename().string() + ".log")) {
    std::filesystem::create_directories(options.state_folder);
    // A line left by an earlier server on this state must not be read as this one's.
    std::filesystem::remove(output_file_);
    process_ = std::make_unique<ChildProcess>(ProcessOptions{command_line(options), {}, {}, output_file_, {}});
    const auto deadline = std::chrono::steady_clock::now() + start_timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        port_ = listening_port(read_file(output_file_));
        if (port_ != 0) return;
        if (!process_->running()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ADD_FAILURE() << "the SQL Server stand-in did not start:\n" << read_file(output_file_);
}

StandInServer::~StandInServer() { process_->stop(std::chrono::seconds(10)); }

std::string StandInServer::address() const { return host_ + "," + std::to_string(port_); }

}  // namespace e2e
