// The worker's thread and the news of its end.
#include "worker_thread.h"

namespace platform {

WorkerThread::~WorkerThread()
{
    if (thread_.joinable())
        thread_.detach();
}

bool WorkerThread::start(std::function<void()> work, std::function<void(std::exception_ptr)> ended)
{
    if (running())
        return false;
    thread_ = std::thread([this, work = std::move(work), ended = std::move(ended)]() mutable {
        // What the work threw goes to the window's thread, which can tell the
        // operator; escaping this thread it would end the process.
        std::exception_ptr failure;
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        calls_.post([this, failure, ended = std::move(ended)] {
            // The thread's last act was this post: joining waits only for its return.
            thread_.join();
            ended(failure);
        });
    });
    return true;
}

}  // namespace platform
