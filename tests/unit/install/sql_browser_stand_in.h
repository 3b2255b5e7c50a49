// A one-shot SQL Server Browser on 127.0.0.1:1434 (UDP): it answers one
// instance lookup with the stand-in's TCP port, so that a server named
// "host\instance" can be reached the way the drivers do it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace install_test {

class SqlBrowserStandIn {
public:
    SqlBrowserStandIn(const std::string& instance, unsigned short tcp_port);
    ~SqlBrowserStandIn();  // waits at most a few seconds for the lookup
    SqlBrowserStandIn(const SqlBrowserStandIn&) = delete;
    SqlBrowserStandIn& operator=(const SqlBrowserStandIn&) = delete;

    bool listening() const { return socket_ != no_socket; }
    bool answered() const { return answered_; }

private:
    static constexpr std::uintptr_t no_socket = ~std::uintptr_t{0};  // INVALID_SOCKET
    std::uintptr_t socket_ = no_socket;
    std::atomic<bool> answered_ = false;
    std::thread answerer_;
};

}  // namespace install_test
