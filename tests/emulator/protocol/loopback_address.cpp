// Probing 127.0.0.0/8 for a free UDP port 1434.
#include "loopback_address.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <random>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace emulator::testing {

namespace {

bool udp_port_free(const std::string& address, uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in ip4{};
    ip4.sin_family = AF_INET;
    ip4.sin_port = htons(port);
    inet_pton(AF_INET, address.c_str(), &ip4.sin_addr);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&ip4), sizeof ip4) == 0;
    ::close(fd);
    return bound;
}

}  // namespace

std::string free_browser_address() {
    constexpr int kFirst = 2, kLast = 254;
    std::random_device random;
    const int start = kFirst + static_cast<int>(random() % (kLast - kFirst + 1));
    for (int i = 0; i <= kLast - kFirst; ++i) {
        const int n = kFirst + (start - kFirst + i) % (kLast - kFirst + 1);
        const std::string address = "127.0.0." + std::to_string(n);
        if (udp_port_free(address, 1434)) return address;
    }
    throw std::runtime_error("no 127.0.0.N has UDP port 1434 free");
}

}  // namespace emulator::testing
