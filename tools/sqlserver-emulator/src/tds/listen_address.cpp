// Parsing and checking --listen, and binding to an address.
#include "listen_address.h"

#include "system_error.h"

#include <arpa/inet.h>
#include <charconv>
#include <netinet/in.h>
#include <unistd.h>

namespace emulator::tds {

std::string ListenAddress::to_string() const {
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

socklen_t ListenAddress::to_sockaddr(sockaddr_storage& storage) const {
    storage = {};
    if (ipv6) {
        auto* ip6 = reinterpret_cast<sockaddr_in6*>(&storage);
        ip6->sin6_family = AF_INET6;
        ip6->sin6_port = htons(port);
        inet_pton(AF_INET6, host.c_str(), &ip6->sin6_addr);
        return sizeof *ip6;
    }
    auto* ip4 = reinterpret_cast<sockaddr_in*>(&storage);
    ip4->sin_family = AF_INET;
    ip4->sin_port = htons(port);
    inet_pton(AF_INET, host.c_str(), &ip4->sin_addr);
    return sizeof *ip4;
}

int bound_socket(const ListenAddress& address, int type) {
    sockaddr_storage storage{};
    const socklen_t length = address.to_sockaddr(storage);
    const int fd = ::socket(storage.ss_family, type | SOCK_CLOEXEC, 0);
    if (fd < 0) throw system_error("cannot create a socket for " + address.to_string());
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0) {
        auto error = system_error("cannot bind " + address.to_string());
        ::close(fd);
        throw error;
    }
    return fd;
}

std::variant<ListenAddress, std::string> parse_listen_address(const std::string& text) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos) return "expected ADDR:PORT, got '" + text + "'";
    std::string host = text.substr(0, colon);
    const std::string port_text = text.substr(colon + 1);

    unsigned port = 0;
    const auto [end, error] = std::from_chars(port_text.data(), port_text.data() + port_text.size(), port);
    if (port_text.empty() || error != std::errc() || end != port_text.data() + port_text.size() || port > 65535)
        return "invalid port '" + port_text + "'";

    ListenAddress address;
    address.port = static_cast<uint16_t>(port);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
        in6_addr ip6{};
        if (inet_pton(AF_INET6, host.c_str(), &ip6) != 1) return "invalid IPv6 address '" + host + "'";
        if (!IN6_IS_ADDR_LOOPBACK(&ip6))
            return "refusing to listen on " + host + ": only loopback addresses (127.0.0.0/8, [::1]) are allowed";
        address.host = host;
        address.ipv6 = true;
        return address;
    }
    in_addr ip4{};
    if (inet_pton(AF_INET, host.c_str(), &ip4) != 1)
        return "invalid address '" + host + "': give a numeric loopback address such as 127.0.0.1 or [::1]";
    if ((ntohl(ip4.s_addr) >> 24) != 127)
        return "refusing to listen on " + host + ": only loopback addresses (127.0.0.0/8, [::1]) are allowed";
    address.host = host;
    return address;
}

}  // namespace emulator::tds
