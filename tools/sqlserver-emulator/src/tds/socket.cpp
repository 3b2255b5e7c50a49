// Blocking socket I/O for one session.
#include "socket.h"

#include "protocol_error.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace emulator::tds {

namespace {
constexpr uint8_t kAttentionType = 0x06;
constexpr size_t kHeaderSize = 8;
}  // namespace

Socket::~Socket() {
    close();
}

void Socket::close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool Socket::read_exact(std::span<uint8_t> buffer) {
    size_t done = 0;
    while (done < buffer.size()) {
        ssize_t got = ::recv(fd_, buffer.data() + done, buffer.size() - done, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            if (done == 0) return false;
            throw ProtocolError("connection closed in the middle of a packet");
        }
        done += static_cast<size_t>(got);
    }
    return true;
}

bool Socket::write_all(std::span<const uint8_t> data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t sent = ::send(fd_, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        done += static_cast<size_t>(sent);
    }
    return true;
}

Socket::Pending Socket::poll_pending() {
    uint8_t header[kHeaderSize];
    ssize_t got = ::recv(fd_, header, sizeof header, MSG_PEEK | MSG_DONTWAIT);
    if (got == 0) return Pending::closed;
    if (got < 0)
        return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? Pending::nothing : Pending::closed;
    if (header[0] != kAttentionType || static_cast<size_t>(got) < kHeaderSize) return Pending::nothing;
    // An ATTENTION is a bare header; anything it claims beyond that is skipped too.
    size_t length = static_cast<size_t>(header[2] << 8 | header[3]);
    uint8_t discard[kHeaderSize];
    if (!read_exact(discard)) return Pending::closed;
    for (size_t left = length > kHeaderSize ? length - kHeaderSize : 0; left > 0;) {
        size_t chunk = left < sizeof discard ? left : sizeof discard;
        if (!read_exact(std::span<uint8_t>(discard, chunk))) return Pending::closed;
        left -= chunk;
    }
    return Pending::attention;
}

namespace {

Endpoint endpoint_of(const sockaddr_storage& storage) {
    char text[INET6_ADDRSTRLEN] = {};
    if (storage.ss_family == AF_INET6) {
        const auto& ip6 = reinterpret_cast<const sockaddr_in6&>(storage);
        inet_ntop(AF_INET6, &ip6.sin6_addr, text, sizeof text);
        return {text, ntohs(ip6.sin6_port)};
    }
    const auto& ip4 = reinterpret_cast<const sockaddr_in&>(storage);
    inet_ntop(AF_INET, &ip4.sin_addr, text, sizeof text);
    return {text, ntohs(ip4.sin_port)};
}

}  // namespace

Endpoint Socket::local_endpoint() const {
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&storage), &length);
    return endpoint_of(storage);
}

Endpoint Socket::peer_endpoint() const {
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    getpeername(fd_, reinterpret_cast<sockaddr*>(&storage), &length);
    return endpoint_of(storage);
}

void Socket::reset_on_close() {
    const linger abortive{1, 0};
    setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
}

void Socket::shutdown() {
    if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);
}

}  // namespace emulator::tds
