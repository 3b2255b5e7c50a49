// fork/exec with a timeout on every wait.
#include "child_process.h"

#include "test_files.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace e2e {

namespace {

constexpr auto poll_interval = std::chrono::milliseconds(20);

std::vector<std::string> merged_environment(const std::vector<std::string>& extra) {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        variables[text.substr(0, text.find('='))] = text;
    }
    for (const auto& text : extra) variables[text.substr(0, text.find('='))] = text;
    std::vector<std::string> merged;
    for (auto& [name, text] : variables) merged.push_back(std::move(text));
    return merged;
}

int decoded_status(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

ChildProcess::ChildProcess(const ProcessOptions& options) {
    if (options.argv.empty()) throw std::runtime_error("no program to start");
    // Everything exec needs is built before fork: the child only calls
    // async-signal-safe functions.
    std::vector<std::string> environment = merged_environment(options.extra_env);
    std::vector<char*> envp;
    for (auto& text : environment) envp.push_back(text.data());
    envp.push_back(nullptr);
    std::vector<std::string> arguments = options.argv;
    std::vector<char*> argv;
    for (auto& text : arguments) argv.push_back(text.data());
    argv.push_back(nullptr);
    const std::string directory = options.working_directory.string();
    const std::string output = options.output_file.empty() ? "/dev/null" : options.output_file.string();
    const std::string error_output = options.error_file.string();

    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (pid_ == 0) {
        const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const int err = error_output.empty() ? out : open(error_output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (out < 0 || err < 0 || in < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
        if (!directory.empty() && chdir(directory.c_str()) != 0) _exit(126);
        environ = envp.data();
        execvp(argv[0], argv.data());
        _exit(127);
    }
}

ChildProcess::~ChildProcess() {
    if (running()) stop(std::chrono::milliseconds(0));
}

bool ChildProcess::running() {
    if (status_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) status_ = decoded_status(status);
    return !status_;
}

std::optional<int> ChildProcess::wait_for(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (running()) {
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(poll_interval);
    }
    return status_;
}

void ChildProcess::interrupt() {
    if (!status_) kill(pid_, SIGINT);
}

int ChildProcess::stop(std::chrono::milliseconds grace) {
    if (running()) {
        kill(pid_, SIGTERM);
        if (!wait_for(grace)) {
            kill(pid_, SIGKILL);
            int status = 0;
            waitpid(pid_, &status, 0);
            status_ = decoded_status(status);
        }
    }
    return *status_;
}

namespace {

std::filesystem::path temporary_file() {
    char pattern[] = "/tmp/e2e-output-XXXXXX";
    const int descriptor = mkstemp(pattern);
    if (descriptor < 0) throw std::runtime_error("cannot create a temporary file");
    close(descriptor);
    return pattern;
}

// The file's content; the file is removed.
std::string take_content(const std::filesystem::path& path) {
    std::string content = read_file(path);
    std::filesystem::remove(path);
    return content;
}

}  // namespace

ProgramResult run_program(ProcessOptions options, std::chrono::milliseconds timeout, Streams streams) {
    options.output_file = temporary_file();
    options.error_file = streams == Streams::separate ? temporary_file() : std::filesystem::path();

    ProgramResult result;
    {
        ChildProcess child(options);
        if (const auto status = child.wait_for(timeout))
            result.exit_code = *status;
        else
            child.stop(std::chrono::milliseconds(0));
    }
    result.output = take_content(options.output_file);
    if (streams == Streams::separate) result.errors = take_content(options.error_file);
    return result;
}

}  // namespace e2e
