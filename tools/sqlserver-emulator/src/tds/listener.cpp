// The accept loop and the connection threads.
#include "listener.h"

#include "socket.h"
#include "system_error.h"

#include <chrono>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace emulator::tds {

struct Listener::Connection {
    explicit Connection(int fd) : socket(fd) {}
    Socket socket;
    std::thread thread;
    bool finished = false;  // guarded by the listener's mutex
};

namespace {

// A listening socket on the address; the address's port is set to the one bound.
int listening_socket(ListenAddress& address) {
    const int fd = bound_socket(address, SOCK_STREAM);
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    if (::listen(fd, SOMAXCONN) != 0 || getsockname(fd, reinterpret_cast<sockaddr*>(&storage), &length) != 0) {
        auto error = system_error("cannot listen on " + address.to_string());
        ::close(fd);
        throw error;
    }
    address.port = ntohs(address.ipv6 ? reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port
                                      : reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
    return fd;
}

}  // namespace

Listener::Listener(const std::vector<ListenAddress>& addresses) : addresses_(addresses) {
    try {
        for (ListenAddress& address : addresses_) {
            if (address.port == 0 && !listen_fds_.empty()) address.port = addresses_.front().port;
            listen_fds_.push_back(listening_socket(address));
        }
    } catch (...) {
        for (int fd : listen_fds_) ::close(fd);
        throw;
    }
}

Listener::~Listener() {
    close_all();
    for (int fd : listen_fds_) ::close(fd);
}

void Listener::run(int stop_fd, const ConnectionHandler& serve) {
    // Every session thread uses `serve`, so all of them end before run does.
    try {
        accept_until_stopped(stop_fd, serve);
    } catch (...) {
        close_all();
        throw;
    }
    close_all();
}

void Listener::accept_until_stopped(int stop_fd, const ConnectionHandler& serve) {
    std::vector<pollfd> watched{{stop_fd, POLLIN, 0}};
    for (int fd : listen_fds_) watched.push_back({fd, POLLIN, 0});
    for (;;) {
        if (::poll(watched.data(), watched.size(), -1) < 0) {
            if (errno == EINTR) continue;
            throw system_error("poll");
        }
        if (watched[0].revents != 0) break;
        for (size_t i = 1; i < watched.size(); ++i)
            if (watched[i].revents & POLLIN) accept_one(watched[i].fd, serve);
    }
}

void Listener::accept_one(int listen_fd, const ConnectionHandler& serve) {
    const int fd = ::accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
        // Out of descriptors: the pending connection stays readable, so
        // back off instead of spinning until a session ends.
        if (errno == EMFILE || errno == ENFILE) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    reap_finished();
    std::lock_guard lock(mutex_);
    auto& connection = *connections_.emplace_back(std::make_unique<Connection>(fd));
    connection.thread = std::thread([this, &connection, &serve] {
        serve(connection.socket);
        // Closed here rather than when the thread is reaped: the client
        // must learn at once that the connection is over.
        std::lock_guard closing(mutex_);
        connection.socket.close();
        connection.finished = true;
    });
}

void Listener::reap_finished() {
    std::lock_guard lock(mutex_);
    for (auto it = connections_.begin(); it != connections_.end();) {
        if ((*it)->finished) {
            (*it)->thread.join();
            it = connections_.erase(it);
        } else {
            ++it;
        }
    }
}

void Listener::close_all() {
    std::list<std::unique_ptr<Connection>> closing;
    {
        std::lock_guard lock(mutex_);
        // Under the lock, so no session closes its descriptor meanwhile.
        for (auto& connection : connections_) connection->socket.shutdown();
        closing.swap(connections_);
    }
    for (auto& connection : closing) connection->thread.join();
}

}  // namespace emulator::tds
