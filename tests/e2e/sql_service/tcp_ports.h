// TCP ports on the loopback addresses the instance listens on, seen through
// Winsock: whether one is free, a free one, and whether the server answers.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sql_service {

// Starts and ends Winsock for the process.
class Winsock {
public:
    Winsock();
    ~Winsock();
    Winsock(const Winsock&) = delete;
    Winsock& operator=(const Winsock&) = delete;
};

// True when a listener could bind `port` on every address now (as the
// stand-in binds: connections of an earlier run in TIME_WAIT do not count).
bool port_free(const std::vector<std::wstring>& addresses, unsigned port);

// A port free on every address, as the system hands out dynamic ports;
// nullopt when none is found.
std::optional<unsigned> free_port(const std::vector<std::wstring>& addresses);

// True when a TCP connection to the address and port is accepted.
bool accepts_connections(const std::wstring& address, unsigned port);

}  // namespace sql_service
