// One piece of long work on a thread of its own, beside the window's thread:
// the runner that owns the thread, so that the work's own code holds none.
#pragma once

#include "window_thread_calls.h"

#include <exception>
#include <functional>
#include <thread>

namespace platform {

class WorkerThread {
public:
    // `calls` carries the end of each work to the window's thread; it must
    // outlive this runner.
    explicit WorkerThread(const WindowThreadCalls& calls) : calls_(calls) {}
    // A work still running is left to end with the process: waiting for it
    // here could wait on a call to this very thread.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts `work` on a new thread unless one is running (false then). When
    // it has returned, `ended` runs on the window's thread with what it threw
    // (null when nothing), and running() is false from then on.
    bool start(std::function<void()> work, std::function<void(std::exception_ptr)> ended);

    bool running() const { return thread_.joinable(); }

private:
    const WindowThreadCalls& calls_;
    std::thread thread_;
};

}  // namespace platform
