// The stop file's watcher thread.
#include "stop_file.h"

#include <csignal>
#include <unistd.h>

namespace emulator::tds {

namespace {
constexpr auto kPollInterval = std::chrono::milliseconds(100);
}  // namespace

StopFileWatcher::StopFileWatcher(std::filesystem::path file) : file_(std::move(file)) {
    std::error_code ignored;
    std::filesystem::remove(file_, ignored);
    thread_ = std::thread([this] { watch(); });
}

StopFileWatcher::~StopFileWatcher() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_one();
    thread_.join();
    std::error_code ignored;
    std::filesystem::remove(file_, ignored);
}

void StopFileWatcher::watch() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, kPollInterval, [this] { return ending_; })) {
        std::error_code ignored;
        if (std::filesystem::exists(file_, ignored)) {
            ::kill(::getpid(), SIGTERM);
            return;
        }
    }
}

}  // namespace emulator::tds
