// Reassembles client messages from packets.
#include "message_reader.h"

#include "protocol_error.h"

#include <array>

namespace emulator::tds {

namespace {

bool is_client_type(uint8_t type) {
    switch (static_cast<PacketType>(type)) {
        case PacketType::sql_batch:
        case PacketType::rpc:
        case PacketType::attention:
        case PacketType::bulk_load:
        case PacketType::transaction_manager:
        case PacketType::login7:
        case PacketType::sspi:
        case PacketType::prelogin:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::optional<ClientMessage> MessageReader::next() {
    for (;;) {
        std::optional<ClientMessage> message;
        for (;;) {
            std::array<uint8_t, kHeaderSize> header{};
            if (!socket_.read_exact(header)) {
                if (message) throw ProtocolError("connection closed in the middle of a message");
                return std::nullopt;
            }
            const uint8_t type = header[0];
            const uint8_t status = header[1];
            const size_t length = static_cast<size_t>(header[2] << 8 | header[3]);
            if (!is_client_type(type)) throw ProtocolError("unknown packet type");
            if (length < kHeaderSize || length > kMaxPacketSize) throw ProtocolError("packet length out of range");
            if (!message) {
                message = ClientMessage{static_cast<PacketType>(type), {}};
            } else if (type != static_cast<uint8_t>(message->type)) {
                throw ProtocolError("packet type changed inside a message");
            }
            const size_t body = length - kHeaderSize;
            if (message->payload.size() + body > kMaxMessageSize) throw ProtocolError("message too large");
            const size_t old_size = message->payload.size();
            message->payload.resize(old_size + body);
            if (body > 0 && !socket_.read_exact(std::span<uint8_t>(message->payload).subspan(old_size)))
                throw ProtocolError("connection closed in the middle of a packet");
            if (status & packet_status::end_of_message) {
                if (status & packet_status::ignore) break;  // the client abandoned this message
                return message;
            }
        }
    }
}

}  // namespace emulator::tds
