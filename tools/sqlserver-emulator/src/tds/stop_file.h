// --stop-file: a way to stop the server for a program that cannot signal it
// (a Windows service under Wine cannot end a Linux process it started).
#pragma once

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

namespace emulator::tds {

// Removes a file left by an earlier run, then looks for the file every 100 ms;
// when it appears, raises SIGTERM at this process, which stops the server as
// the signal would. The destructor removes the file, telling whoever created
// it that the server is done.
class StopFileWatcher {
public:
    explicit StopFileWatcher(std::filesystem::path file);
    ~StopFileWatcher();
    StopFileWatcher(const StopFileWatcher&) = delete;
    StopFileWatcher& operator=(const StopFileWatcher&) = delete;

private:
    void watch();

    std::filesystem::path file_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool ending_ = false;
    std::thread thread_;
};

}  // namespace emulator::tds
