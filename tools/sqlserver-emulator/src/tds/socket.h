// A connected TCP socket owned by one session: blocking reads and writes, a
// non-blocking look for an ATTENTION packet, its two ends, and shutdown from
// another thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace emulator::tds {

// One end of a TCP connection.
struct Endpoint {
    std::string address;  // numeric
    uint16_t port = 0;
};

class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Fills `buffer` completely. False when the peer closed the connection
    // before the first byte; ProtocolError when it closed part-way.
    bool read_exact(std::span<uint8_t> buffer);
    // Sends everything; false when the peer has gone.
    bool write_all(std::span<const uint8_t> data);

    enum class Pending { nothing, attention, closed };
    // Looks without blocking at what the client sent while a request runs:
    // consumes a complete ATTENTION packet, leaves anything else unread.
    Pending poll_pending();

    // The server's end and the client's end of the connection.
    Endpoint local_endpoint() const;
    Endpoint peer_endpoint() const;

    // Wakes a thread blocked in read_exact (used at shutdown).
    void shutdown();
    // Makes the coming close reset the connection, as a server that drops a
    // client without a word does.
    void reset_on_close();
    // Releases the descriptor; a client still sending gets a reset at once.
    void close();
    int fd() const { return fd_; }

private:
    int fd_;
};

}  // namespace emulator::tds
