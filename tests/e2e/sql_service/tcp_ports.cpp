// Winsock probes of loopback ports.
#include "tcp_ports.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace sql_service {

namespace {

sockaddr_in endpoint(const std::wstring& address, unsigned port) {
    sockaddr_in ip4{};
    ip4.sin_family = AF_INET;
    ip4.sin_port = htons(static_cast<u_short>(port));
    InetPtonW(AF_INET, address.c_str(), &ip4.sin_addr);
    return ip4;
}

// A bound TCP socket, or INVALID_SOCKET.
SOCKET bound(const std::wstring& address, unsigned port) {
    const SOCKET fd = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (fd == INVALID_SOCKET) return fd;
    const BOOL on = TRUE;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
    const sockaddr_in ip4 = endpoint(address, port);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&ip4), sizeof ip4) != 0) {
        closesocket(fd);
        return INVALID_SOCKET;
    }
    return fd;
}

}  // namespace

Winsock::Winsock() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
}

Winsock::~Winsock() { WSACleanup(); }

bool port_free(const std::vector<std::wstring>& addresses, unsigned port) {
    for (const auto& address : addresses) {
        const SOCKET fd = bound(address, port);
        if (fd == INVALID_SOCKET) return false;
        closesocket(fd);
    }
    return true;
}

std::optional<unsigned> free_port(const std::vector<std::wstring>& addresses) {
    // The system's choice on the first address, checked on the others.
    for (int attempt = 0; attempt < 20; ++attempt) {
        const SOCKET fd = bound(addresses.front(), 0);
        if (fd == INVALID_SOCKET) return std::nullopt;
        sockaddr_in ip4{};
        int length = sizeof ip4;
        getsockname(fd, reinterpret_cast<sockaddr*>(&ip4), &length);
        closesocket(fd);
        const unsigned port = ntohs(ip4.sin_port);
        if (port_free(addresses, port)) return port;
    }
    return std::nullopt;
}

bool accepts_connections(const std::wstring& address, unsigned port) {
    const SOCKET fd = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (fd == INVALID_SOCKET) return false;
    const sockaddr_in ip4 = endpoint(address, port);
    const bool connected = connect(fd, reinterpret_cast<const sockaddr*>(&ip4), sizeof ip4) == 0;
    closesocket(fd);
    return connected;
}

}  // namespace sql_service
