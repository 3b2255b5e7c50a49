// The --listen value: a numeric loopback address and a port.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include <sys/socket.h>

namespace emulator::tds {

struct ListenAddress {
    std::string host;   // numeric, without brackets: "127.0.0.1" or "::1"
    uint16_t port = 0;  // 0: the system picks a free port
    bool ipv6 = false;

    // "127.0.0.1:1433" or "[::1]:1433".
    std::string to_string() const;
    // Fills `storage` with the address for bind(); returns its length.
    socklen_t to_sockaddr(sockaddr_storage& storage) const;
};

// A socket of `type` (SOCK_STREAM or SOCK_DGRAM) bound to the address, with
// SO_REUSEADDR so that a server started again at once binds while its old
// connections linger; std::runtime_error with the system's reason on failure.
int bound_socket(const ListenAddress& address, int type);

// The address, or the reason it is refused. Only 127.0.0.0/8 and ::1 are
// accepted: the stand-in must never be reachable from another machine.
std::variant<ListenAddress, std::string> parse_listen_address(const std::string& text);

}  // namespace emulator::tds
