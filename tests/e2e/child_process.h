// Starting the programs the end-to-end tests need (the stand-in, Wine) as
// child processes with a bounded life: every wait has a timeout and a child
// still running when its owner goes away is killed.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace e2e {

struct ProcessOptions {
    std::vector<std::string> argv;             // argv[0] is searched in PATH
    std::filesystem::path working_directory;   // empty: the test's own
    std::vector<std::string> extra_env;        // "NAME=value", added or replacing
    std::filesystem::path output_file;         // stdout (and stderr, without error_file) go here; empty: /dev/null
    std::filesystem::path error_file;          // stderr goes here when given
};

class ChildProcess {
public:
    // Throws std::runtime_error when the program cannot be started.
    explicit ChildProcess(const ProcessOptions& options);
    ~ChildProcess();  // kills the child if it still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The exit status (128 + signal when killed), or nullopt when the child
    // still ran when the time was up.
    std::optional<int> wait_for(std::chrono::milliseconds timeout);

    // SIGTERM, up to `grace` to exit, then SIGKILL; returns the exit status.
    int stop(std::chrono::milliseconds grace);

    bool running();

    // SIGINT, as Ctrl+C in a terminal: Wine hands a Windows console program
    // its CTRL_C_EVENT.
    void interrupt();

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

struct ProgramResult {
    int exit_code = -1;      // -1: killed because the time was up
    std::string output;      // stdout, and stderr too unless the streams were kept apart
    std::string errors;      // stderr when the streams were kept apart
};

enum class Streams { together, separate };

// Runs a program to its end, killing it after `timeout`; its output and error
// files are the run's own.
ProgramResult run_program(ProcessOptions options, std::chrono::milliseconds timeout,
                          Streams streams = Streams::together);

}  // namespace e2e
