// Accepts connections on loopback addresses and serves each on its own
// thread until asked to stop.
#pragma once

#include "listen_address.h"

#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace emulator::tds {

class Socket;

class Listener {
public:
    // Binds and listens on every address; an address after the first with
    // port 0 takes the port the first one got. std::runtime_error with the
    // system's reason on failure.
    explicit Listener(const std::vector<ListenAddress>& addresses);
    ~Listener();  // stops and joins every connection thread
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // The bound addresses in the order given, with the real ports.
    const std::vector<ListenAddress>& addresses() const { return addresses_; }

    using ConnectionHandler = std::function<void(Socket&)>;
    // Accepts until `stop_fd` becomes readable, running `serve` for each
    // connection on a thread of its own; then shuts the open connections down
    // and waits for their threads.
    void run(int stop_fd, const ConnectionHandler& serve);

private:
    struct Connection;
    void accept_until_stopped(int stop_fd, const ConnectionHandler& serve);
    void accept_one(int listen_fd, const ConnectionHandler& serve);
    void reap_finished();
    void close_all();

    std::vector<int> listen_fds_;
    std::vector<ListenAddress> addresses_;
    std::mutex mutex_;
    std::list<std::unique_ptr<Connection>> connections_;
};

}  // namespace emulator::tds
