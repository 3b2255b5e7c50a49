// The stop request's state, shared with the console's control handler.
#include "install/run_interruption.h"

#include <atomic>

namespace install {

namespace {

// One mutex-free word: the handler and the run agree through it alone.
enum State : int { running, stop_asked, changing };
std::atomic<int> state{running};

}  // namespace

bool begin_changes()
{
    int expected = running;
    return state.compare_exchange_strong(expected, changing) || expected == changing;
}

bool request_stop()
{
    int expected = running;
    return state.compare_exchange_strong(expected, stop_asked) || expected == stop_asked;
}

bool stop_requested()
{
    return state.load() == stop_asked;
}

void reset_interruption()
{
    state.store(running);
}

}  // namespace install
