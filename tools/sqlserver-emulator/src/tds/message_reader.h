// Reads whole client messages: packets reassembled up to the end-of-message
// bit, every header checked, the total size capped.
#pragma once

#include "packet.h"
#include "socket.h"

#include <optional>
#include <vector>

namespace emulator::tds {

struct ClientMessage {
    PacketType type;
    std::vector<uint8_t> payload;
};

class MessageReader {
public:
    static constexpr size_t kMaxMessageSize = 64u * 1024 * 1024;

    explicit MessageReader(Socket& socket) : socket_(socket) {}

    // The next message, or nullopt when the client closed the connection
    // between messages. Messages the client cancelled (IGNORE bit) are skipped.
    // ProtocolError on a malformed header, a truncated packet or an oversized
    // message.
    std::optional<ClientMessage> next();

private:
    Socket& socket_;
};

}  // namespace emulator::tds
