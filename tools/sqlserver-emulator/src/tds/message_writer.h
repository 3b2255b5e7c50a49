// Sends one server reply at a time, split into packets of the negotiated size.
// Write failures are remembered rather than thrown, because the writer is fed
// from inside the engine while a batch runs.
#pragma once

#include "packet.h"
#include "socket.h"

#include <cstdint>
#include <vector>

namespace emulator::tds {

class MessageWriter {
public:
    explicit MessageWriter(Socket& socket) : socket_(socket) {}

    void set_packet_size(size_t size) { packet_size_ = size; }
    void set_spid(uint16_t spid) { spid_ = spid; }

    // Adds token bytes to the current reply; full packets leave at once.
    void append(const std::vector<uint8_t>& bytes);
    // Sends what is buffered as a packet without the end-of-message bit, so
    // the client sees progress while the request is still running.
    void flush();
    // Sends the rest with the end-of-message bit; the next append starts a new reply.
    void end_message();

    // True once the client could not be written to.
    bool broken() const { return broken_; }

private:
    void send_packet(size_t length, bool last);

    Socket& socket_;
    size_t packet_size_ = kDefaultPacketSize;
    uint16_t spid_ = 0;
    uint8_t packet_id_ = 1;
    bool broken_ = false;
    std::vector<uint8_t> pending_;
};

}  // namespace emulator::tds
