// MC-SQLR: CLNT_UCAST_INST in, SVR_RESP out, over UDP.
#include "browser.h"

#include "engine/text.h"
#include "system_error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace emulator::tds {

namespace {

constexpr uint8_t kClientUnicastInstance = 0x04;  // CLNT_UCAST_INST
constexpr uint8_t kServerResponse = 0x05;         // SVR_RESP
constexpr size_t kMaxInstanceNameBytes = 32;      // the request's INSTANCENAME, terminator excluded
constexpr size_t kMaxRequestBytes = 1 + kMaxInstanceNameBytes + 1;

}  // namespace

std::optional<std::vector<uint8_t>> browser_answer(std::span<const uint8_t> request, const BrowserInstance& instance) {
    if (request.empty() || request[0] != kClientUnicastInstance || instance.instance_name.empty()) return std::nullopt;
    // The name runs to its terminator (or the datagram's end); the Browser
    // compares it without regard to case.
    const auto name_bytes = request.subspan(1);
    const auto terminator = std::find(name_bytes.begin(), name_bytes.end(), 0);
    const std::u16string asked(name_bytes.begin(), terminator);  // instance names are ASCII
    if (!equals_ci(asked, instance.instance_name)) return std::nullopt;

    const std::string data = "ServerName;" + to_utf8(instance.server_name) + ";InstanceName;" +
                             to_utf8(instance.instance_name) + ";IsClustered;No;Version;" +
                             to_utf8(instance.version) + ";tcp;" + std::to_string(instance.tcp_port) + ";;";
    std::vector<uint8_t> answer{kServerResponse, static_cast<uint8_t>(data.size()),
                                static_cast<uint8_t>(data.size() >> 8)};
    answer.insert(answer.end(), data.begin(), data.end());
    return answer;
}

BrowserResponder::BrowserResponder(const std::vector<ListenAddress>& addresses, BrowserInstance instance)
    : instance_(std::move(instance)) {
    int wake[2];
    if (pipe2(wake, O_CLOEXEC) != 0) throw system_error("pipe");
    wake_read_ = wake[0];
    wake_write_ = wake[1];
    try {
        for (const auto& address : addresses) sockets_.push_back(bound_socket(address, SOCK_DGRAM));
    } catch (...) {
        for (int fd : sockets_) ::close(fd);
        ::close(wake_read_);
        ::close(wake_write_);
        throw;
    }
    thread_ = std::thread([this] { answer_until_stopped(); });
}

BrowserResponder::~BrowserResponder() {
    const char stop = 0;
    (void)!::write(wake_write_, &stop, 1);
    thread_.join();
    for (int fd : sockets_) ::close(fd);
    ::close(wake_read_);
    ::close(wake_write_);
}

void BrowserResponder::answer_until_stopped() {
    std::vector<pollfd> watched{{wake_read_, POLLIN, 0}};
    for (int fd : sockets_) watched.push_back({fd, POLLIN, 0});
    for (;;) {
        if (::poll(watched.data(), watched.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (watched[0].revents != 0) return;
        for (size_t i = 1; i < watched.size(); ++i) {
            if (!(watched[i].revents & POLLIN)) continue;
            uint8_t request[kMaxRequestBytes + 1];
            sockaddr_storage sender{};
            socklen_t sender_length = sizeof sender;
            const ssize_t got = ::recvfrom(watched[i].fd, request, sizeof request, MSG_DONTWAIT,
                                           reinterpret_cast<sockaddr*>(&sender), &sender_length);
            if (got <= 0) continue;
            const auto answer = browser_answer(std::span<const uint8_t>(request, static_cast<size_t>(got)), instance_);
            if (answer)
                ::sendto(watched[i].fd, answer->data(), answer->size(), MSG_DONTWAIT,
                         reinterpret_cast<sockaddr*>(&sender), sender_length);
        }
    }
}

}  // namespace emulator::tds
