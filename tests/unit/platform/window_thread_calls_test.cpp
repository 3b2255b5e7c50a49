// The seam between a worker and the window's thread, driven from a real
// second thread while this one pumps messages as the window's thread does.
#include "platform/window_thread_calls.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace {

using platform::WindowThreadCalls;
using namespace std::chrono_literals;

// Pumps this thread's messages until `done` or the time is up.
bool pump_until(const std::atomic<bool>& done, std::chrono::milliseconds limit = 10s)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done && std::chrono::steady_clock::now() < deadline) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return done;
}

TEST(WindowThreadCalls, CallsFromAWorkerRunOnTheWindowsThreadAndTheirResultsComeBack)
{
    WindowThreadCalls calls;
    const DWORD window_thread = GetCurrentThreadId();
    std::atomic<bool> done = false;
    DWORD ran_on = 0;
    int sum = 0;
    bool returned = false;

    std::thread worker([&] {
        for (int i = 1; i <= 100; ++i)
            returned = calls.run([&] {
                ran_on = GetCurrentThreadId();
                sum += i;
            });
        done = true;
    });
    ASSERT_TRUE(pump_until(done));
    worker.join();

    EXPECT_TRUE(returned);
    EXPECT_EQ(ran_on, window_thread);
    EXPECT_EQ(sum, 5050) << "each call ran once, and its effect was seen by the next";
}

TEST(WindowThreadCalls, AFailingCallReachesTheWorkerAndTheNextCallStillRuns)
{
    WindowThreadCalls calls;
    std::atomic<bool> done = false;
    std::string failure;
    bool next_ran = false;

    std::thread worker([&] {
        try {
            calls.run([] { throw std::runtime_error("the dialog could not be opened"); });
        } catch (const std::runtime_error& error) {
            failure = error.what();
        }
        next_ran = calls.run([] {});
        done = true;
    });
    ASSERT_TRUE(pump_until(done)) << "a failed call must not leave either thread waiting";
    worker.join();

    EXPECT_EQ(failure, "the dialog could not be opened");
    EXPECT_TRUE(next_ran);
}

TEST(WindowThreadCalls, OnTheWindowsOwnThreadACallRunsAtOnce)
{
    WindowThreadCalls calls;
    bool ran = false;
    EXPECT_TRUE(calls.run([&] { ran = true; }));
    EXPECT_TRUE(ran) << "no message was needed, so nothing could wait for one";
}

TEST(WindowThreadCalls, CallsRunWhileTheWindowsThreadWaitsInAMessageBox)
{
    WindowThreadCalls calls;
    const wchar_t title[] = L"WindowThreadCalls test box";
    int calls_made = 0;
    std::thread worker([&] {
        HWND box = nullptr;
        for (int tries = 0; !box && tries < 500; ++tries) {
            std::this_thread::sleep_for(10ms);
            box = FindWindowW(L"#32770", title);
        }
        // The box is up: the window's thread is inside its modal loop.
        for (int i = 0; i < 3; ++i)
            calls.run([&] { ++calls_made; });
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    MessageBoxW(nullptr, L"waiting for the worker", title, MB_OK);
    worker.join();
    EXPECT_EQ(calls_made, 3);
}

TEST(WindowThreadCalls, PostedCallsRunInOrderWhenTheWindowsThreadPumps)
{
    WindowThreadCalls calls;
    std::vector<int> order;
    std::atomic<bool> done = false;
    std::thread worker([&] {
        for (int i = 0; i < 5; ++i)
            EXPECT_TRUE(calls.post([&, i] { order.push_back(i); }));
        calls.post([&] { done = true; });
    });
    worker.join();
    EXPECT_TRUE(order.empty()) << "nothing runs before the window's thread pumps";
    ASSERT_TRUE(pump_until(done));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(WindowThreadCalls, AReceiverWhoseThreadHasEndedRefusesCallsAtOnce)
{
    WindowThreadCalls* calls = nullptr;
    std::thread ended([&] { calls = new WindowThreadCalls; });  // its window goes with its thread
    ended.join();

    bool ran = false;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(calls->run([&] { ran = true; }));
    EXPECT_FALSE(calls->post([&] { ran = true; }));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_FALSE(ran);
    delete calls;
}

}  // namespace
