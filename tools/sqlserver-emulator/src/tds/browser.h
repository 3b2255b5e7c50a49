// The SQL Server Browser's part the stand-in plays (MC-SQLR): it answers a
// CLNT_UCAST_INST request for its own instance with the TCP port.
#pragma once

#include "listen_address.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace emulator::tds {

inline constexpr uint16_t kBrowserPort = 1434;

// What a Browser answer says about the instance.
struct BrowserInstance {
    std::u16string server_name;    // the computer's name
    std::u16string instance_name;  // empty: the default instance, about which the Browser says nothing
    std::u16string version;        // e.g. 15.0.2000.5
    uint16_t tcp_port = 0;
};

// The SVR_RESP datagram for `request`, or nullopt when the Browser stays
// silent: another request type, another instance's name, or a default
// instance.
std::optional<std::vector<uint8_t>> browser_answer(std::span<const uint8_t> request, const BrowserInstance& instance);

// Answers on UDP port 1434 of each address on a thread of its own until
// destroyed. std::runtime_error with the system's reason when an address
// cannot be bound.
class BrowserResponder {
public:
    BrowserResponder(const std::vector<ListenAddress>& addresses, BrowserInstance instance);
    ~BrowserResponder();
    BrowserResponder(const BrowserResponder&) = delete;
    BrowserResponder& operator=(const BrowserResponder&) = delete;

private:
    void answer_until_stopped();

    BrowserInstance instance_;
    std::vector<int> sockets_;
    int wake_read_ = -1;
    int wake_write_ = -1;
    std::thread thread_;
};

}  // namespace emulator::tds
