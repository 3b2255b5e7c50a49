// The accept loop and the connection threads.
#include "listener.h"

#include "socket.h"

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

std::runtime_error system_error(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

Listener::Listener(const ListenAddress& address) : address_(address) {
    sockaddr_storage storage{};
    socklen_t length = 0;
    if (address.ipv6) {
        auto* ip6 = reinterpret_cast<sockaddr_in6*>(&storage);
        ip6->sin6_family = AF_INET6;
        ip6->sin6_port = htons(address.port);
        inet_pton(AF_INET6, address.host.c_str(), &ip6->sin6_addr);
        length = sizeof *ip6;
    } else {
        auto* ip4 = reinterpret_cast<sockaddr_in*>(&storage);
        ip4->sin_family = AF_INET;
        ip4->sin_port = htons(address.port);
        inet_pton(AF_INET, address.host.c_str(), &ip4->sin_addr);
        length = sizeof *ip4;
    }
    listen_fd_ = ::socket(storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listen_fd_ < 0) throw system_error("cannot create socket");
    const int on = 1;
    setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(listen_fd_, reinterpret_cast<sockaddr*>(&storage), length) != 0) {
        auto error = system_error("cannot bind " + address.to_string());
        ::close(listen_fd_);
        throw error;
    }
    if (::listen(listen_fd_, SOMAXCONN) != 0 ||
        getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&storage), &length) != 0) {
        auto error = system_error("cannot listen on " + address.to_string());
        ::close(listen_fd_);
        throw error;
    }
    address_.port = ntohs(address.ipv6 ? reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port
                                       : reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
}

Listener::~Listener() {
    close_all();
    ::close(listen_fd_);
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
    pollfd watched[2] = {{listen_fd_, POLLIN, 0}, {stop_fd, POLLIN, 0}};
    for (;;) {
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR) continue;
            throw system_error("poll");
        }
        if (watched[1].revents != 0) break;
        if (!(watched[0].revents & POLLIN)) continue;
        const int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            // Out of descriptors: the pending connection stays readable, so
            // back off instead of spinning until a session ends.
            if (errno == EMFILE || errno == ENFILE) std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
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
