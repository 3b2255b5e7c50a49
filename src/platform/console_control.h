// What the console asks of a console program: Ctrl+C and Ctrl+Break (which
// the program may refuse), and the console closing, the user logging off or
// Windows shutting down (after which the process ends, whatever it answers).
#pragma once

#include <functional>

namespace platform {

enum class ConsoleControl { interrupt, closing };

// While it lives, `handler` is called on the console's own thread for each
// request. An interrupt is always taken from the default handler (which
// would end the process at once): the program decides what it does.
class ConsoleControlHandler {
public:
    explicit ConsoleControlHandler(std::function<void(ConsoleControl)> handler);
    ~ConsoleControlHandler();
    ConsoleControlHandler(const ConsoleControlHandler&) = delete;
    ConsoleControlHandler& operator=(const ConsoleControlHandler&) = delete;
};

}  // namespace platform
