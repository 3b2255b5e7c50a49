// Runs other programs for the protocol tests: one-shot commands with captured
// output, and the stand-in itself as a long-running server.
#pragma once

#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace emulator::testing {

struct ProgramResult {
    int exit_code = -1;  // -1: killed by a signal or by the timeout
    std::string out;
    std::string err;
};

// Runs argv[0] (searched in PATH) with `input` on stdin and `extra_env`
// ("NAME=value") added to the environment; kills it after `timeout`.
ProgramResult run_program(const std::vector<std::string>& argv, const std::string& input = "",
                          const std::vector<std::string>& extra_env = {},
                          std::chrono::milliseconds timeout = std::chrono::seconds(60));

// The sqlserver-emulator built next to the tests.
std::filesystem::path emulator_binary();

// A sqlserver-emulator started on 127.0.0.1 port 0, unless the arguments
// give --listen. The destructor stops it and fails the current test unless
// it exited 0 without sanitizer reports.
class EmulatorProcess {
public:
    static constexpr char kSaPassword[] = "Emu-Sa-Pw1";
    static std::u16string sa_password() { return std::u16string(kSaPassword, kSaPassword + sizeof kSaPassword - 1); }

    // `arguments` come after --sa-password (and --listen).
    explicit EmulatorProcess(const std::vector<std::string>& arguments = {});
    ~EmulatorProcess();
    EmulatorProcess(const EmulatorProcess&) = delete;
    EmulatorProcess& operator=(const EmulatorProcess&) = delete;

    // The port of the first address it listens on.
    uint16_t port() const { return port_; }
    // Sends `signal` (SIGTERM or SIGINT), waits, and checks the exit:
    // status 0 and a clean stderr.
    void stop(int signal = SIGTERM);
    // Waits for the process to end by itself (e.g. on its stop file) and
    // checks the exit as stop() does; false when it still ran at the timeout.
    bool wait_for_exit(std::chrono::milliseconds timeout);
    // What the process wrote to stderr so far.
    std::string error_output() const;

private:
    void check_exit(int status);

    pid_t pid_ = -1;
    uint16_t port_ = 0;
    std::filesystem::path stderr_file_;
};

}  // namespace emulator::testing
