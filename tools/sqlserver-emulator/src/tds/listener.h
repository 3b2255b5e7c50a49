// Accepts connections on the loopback address and serves each on its own
// thread until asked to stop.
#pragma once

#include "listen_address.h"

#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace emulator::tds {

class Socket;

class Listener {
public:
    // Binds and listens; std::runtime_error with the system's reason on failure.
    explicit Listener(const ListenAddress& address);
    ~Listener();  // stops and joins every connection thread
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // The bound address, with the real port when 0 was asked for.
    const ListenAddress& address() const { return address_; }

    using ConnectionHandler = std::function<void(Socket&)>;
    // Accepts until `stop_fd` becomes readable, running `serve` for each
    // connection on a thread of its own; then shuts the open connections down
    // and waits for their threads.
    void run(int stop_fd, const ConnectionHandler& serve);

private:
    struct Connection;
    void accept_until_stopped(int stop_fd, const ConnectionHandler& serve);
    void reap_finished();
    void close_all();

    int listen_fd_ = -1;
    ListenAddress address_;
    std::mutex mutex_;
    std::list<std::unique_ptr<Connection>> connections_;
};

}  // namespace emulator::tds
