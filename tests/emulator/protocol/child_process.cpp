// Child processes for the protocol tests.
#include "child_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace emulator::testing {

namespace {

std::vector<char*> c_strings(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (auto& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

int decode_status(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool wait_with_timeout(pid_t pid, int& status, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid, &status, WNOHANG) == pid) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

bool has_sanitizer_report(const std::string& text) {
    return text.find("AddressSanitizer") != std::string::npos || text.find("LeakSanitizer") != std::string::npos ||
           text.find("runtime error:") != std::string::npos;
}

}  // namespace

ProgramResult run_program(const std::vector<std::string>& argv, const std::string& input,
                          const std::vector<std::string>& extra_env, std::chrono::milliseconds timeout) {
    int in_pipe[2], out_pipe[2], err_pipe[2];
    if (pipe2(in_pipe, O_CLOEXEC) || pipe2(out_pipe, O_CLOEXEC) || pipe2(err_pipe, O_CLOEXEC))
        throw std::runtime_error("pipe failed");
    std::vector<std::string> args = argv;
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.insert(env.end(), extra_env.begin(), extra_env.end());
    auto arg_pointers = c_strings(args);
    auto env_pointers = c_strings(env);

    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in_pipe[0], 0);
        dup2(out_pipe[1], 1);
        dup2(err_pipe[1], 2);
        execvpe(arg_pointers[0], arg_pointers.data(), env_pointers.data());
        _exit(127);
    }
    close(in_pipe[0]);
    close(out_pipe[1]);
    close(err_pipe[1]);
    signal(SIGPIPE, SIG_IGN);
    (void)!write(in_pipe[1], input.data(), input.size());
    close(in_pipe[1]);

    ProgramResult result;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    int open_streams = 2;
    bool timed_out = false;
    while (open_streams > 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timed_out = true;
            break;
        }
        if (poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open_streams;
            } else {
                (i == 0 ? result.out : result.err).append(buffer, static_cast<size_t>(got));
            }
        }
    }
    if (timed_out) kill(pid, SIGKILL);
    for (auto& fd : fds)
        if (fd.fd >= 0) close(fd.fd);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exit_code = timed_out ? -1 : decode_status(status);
    return result;
}

std::filesystem::path emulator_binary() {
    return SQLSERVER_EMULATOR_PATH;
}

EmulatorProcess::EmulatorProcess(const std::vector<std::string>& arguments) {
    char pattern[] = "/tmp/emulator-stderr-XXXXXX";
    const int err_fd = mkstemp(pattern);
    stderr_file_ = pattern;
    int out_pipe[2];
    if (err_fd < 0 || pipe2(out_pipe, O_CLOEXEC)) throw std::runtime_error("cannot prepare the emulator's output");

    std::vector<std::string> args = {emulator_binary().string(), "--sa-password", kSaPassword};
    if (std::find(arguments.begin(), arguments.end(), "--listen") == arguments.end())
        args.insert(args.end(), {"--listen", "127.0.0.1:0"});
    args.insert(args.end(), arguments.begin(), arguments.end());
    auto pointers = c_strings(args);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out_pipe[1], 1);
        dup2(err_fd, 2);
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    close(out_pipe[1]);
    close(err_fd);

    // The first line announces the port; give a sanitized start-up time to get there.
    std::string line;
    pollfd readable{out_pipe[0], POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        if (poll(&readable, 1, 100) <= 0) continue;
        char c;
        if (read(out_pipe[0], &c, 1) != 1) break;
        line.push_back(c);
    }
    close(out_pipe[0]);
    if (!line.starts_with("listening on ")) {
        stop();
        const std::string reason = "the emulator did not start: '" + line + "' " + error_output();
        std::filesystem::remove(stderr_file_);
        throw std::runtime_error(reason);
    }
    port_ = static_cast<uint16_t>(std::stoi(line.substr(line.rfind(':') + 1)));
}

EmulatorProcess::~EmulatorProcess() {
    stop();
    std::error_code ignored;
    std::filesystem::remove(stderr_file_, ignored);
}

void EmulatorProcess::stop(int signal) {
    if (pid_ < 0) return;
    kill(pid_, signal);
    int status = 0;
    if (!wait_with_timeout(pid_, status, std::chrono::seconds(30))) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        ADD_FAILURE() << "the emulator did not stop on signal " << signal;
    }
    check_exit(status);
}

bool EmulatorProcess::wait_for_exit(std::chrono::milliseconds timeout) {
    if (pid_ < 0) return true;
    int status = 0;
    if (!wait_with_timeout(pid_, status, timeout)) return false;
    check_exit(status);
    return true;
}

void EmulatorProcess::check_exit(int status) {
    pid_ = -1;
    const std::string errors = error_output();
    EXPECT_EQ(decode_status(status), 0) << "emulator exit; stderr:\n" << errors;
    EXPECT_FALSE(has_sanitizer_report(errors)) << errors;
}

std::string EmulatorProcess::error_output() const {
    std::ifstream in(stderr_file_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace emulator::testing
