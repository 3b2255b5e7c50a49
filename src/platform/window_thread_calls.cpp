// Cross-thread calls through a message-only window: SendMessage carries a
// synchronous call, PostMessage a queued one. The window's thread runs them
// wherever it pumps messages, modal loops included.
#include "window_thread_calls.h"

#include <windows.h>

#include <exception>
#include <memory>

namespace platform {

namespace {

constexpr UINT run_message = WM_APP + 0x4B0;
constexpr UINT posted_message = WM_APP + 0x4B1;
constexpr wchar_t receiver_class[] = L"Korvena.WindowThreadCalls";

// A synchronous call in flight: the caller waits in SendMessage while the
// window's thread fills in what went wrong, if anything.
struct CallInFlight {
    const std::function<void()>* call;
    std::exception_ptr failure;
};

LRESULT CALLBACK receive(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == run_message) {
        auto* in_flight = reinterpret_cast<CallInFlight*>(lparam);
        try {
            (*in_flight->call)();
        } catch (...) {
            in_flight->failure = std::current_exception();
        }
        return 1;
    }
    if (message == posted_message) {
        const std::unique_ptr<std::function<void()>> call(reinterpret_cast<std::function<void()>*>(lparam));
        (*call)();
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void register_receiver_class()
{
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = &receive;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = receiver_class;
    RegisterClassExW(&window_class);  // fails harmlessly when already registered
}

}  // namespace

WindowThreadCalls::WindowThreadCalls() : thread_id_(GetCurrentThreadId())
{
    register_receiver_class();
    receiver_ = CreateWindowExW(0, receiver_class, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
}

WindowThreadCalls::~WindowThreadCalls()
{
    if (!receiver_)
        return;
    // Calls posted but not run hold their function on the heap.
    MSG message;
    while (PeekMessageW(&message, receiver_, posted_message, posted_message, PM_REMOVE))
        delete reinterpret_cast<std::function<void()>*>(message.lParam);
    DestroyWindow(receiver_);
}

bool WindowThreadCalls::run(const std::function<void()>& call) const
{
    if (GetCurrentThreadId() == thread_id_) {
        call();
        return true;
    }
    CallInFlight in_flight{&call, nullptr};
    if (!receiver_ || SendMessageW(receiver_, run_message, 0, reinterpret_cast<LPARAM>(&in_flight)) != 1)
        return false;
    if (in_flight.failure)
        std::rethrow_exception(in_flight.failure);
    return true;
}

bool WindowThreadCalls::post(std::function<void()> call) const
{
    auto queued = std::make_unique<std::function<void()>>(std::move(call));
    if (!receiver_ || !PostMessageW(receiver_, posted_message, 0, reinterpret_cast<LPARAM>(queued.get())))
        return false;
    queued.release();
    return true;
}

}  // namespace platform
