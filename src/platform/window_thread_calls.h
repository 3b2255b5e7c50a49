// The seam between a worker thread and the thread that owns the windows:
// calls handed over from the worker run on the window's thread, one at a
// time, while that thread goes on pumping its messages.
#pragma once

#include <functional>

struct HWND__;

namespace platform {

class WindowThreadCalls {
public:
    // Made on the window's thread, which must pump messages (its message
    // loops, message boxes and modal windows all do) and never wait for a
    // thread that may call run().
    WindowThreadCalls();
    // On the window's thread. Calls arriving afterwards return false; calls
    // posted and not yet run are dropped.
    ~WindowThreadCalls();
    WindowThreadCalls(const WindowThreadCalls&) = delete;
    WindowThreadCalls& operator=(const WindowThreadCalls&) = delete;

    // Runs `call` on the window's thread and returns when it has run (at once
    // when already on that thread). True when it ran; false when the
    // receiver is gone and it did not. An exception thrown by `call` is
    // thrown again here, on the calling thread.
    bool run(const std::function<void()>& call) const;

    // Queues `call` for the window's thread and returns at once; false when
    // the receiver is gone. For news the caller does not wait on (a worker's
    // end).
    bool post(std::function<void()> call) const;

private:
    HWND__* receiver_;        // a message-only window of the window's thread
    unsigned long thread_id_;
};

}  // namespace platform
