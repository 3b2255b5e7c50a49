// Packetises server replies.
#include "message_writer.h"

namespace emulator::tds {

void MessageWriter::append(const std::vector<uint8_t>& bytes) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    const size_t body = packet_size_ - kHeaderSize;
    // Keep at least one byte back so the reply always ends with an EOM packet
    // that carries data.
    while (pending_.size() > body) send_packet(body, false);
}

void MessageWriter::flush() {
    if (!pending_.empty()) send_packet(pending_.size(), false);
}

void MessageWriter::end_message() {
    send_packet(pending_.size(), true);
    packet_id_ = 1;
}

void MessageWriter::send_packet(size_t length, bool last) {
    std::vector<uint8_t> packet;
    packet.reserve(kHeaderSize + length);
    const size_t total = kHeaderSize + length;
    packet.push_back(static_cast<uint8_t>(PacketType::reply));
    packet.push_back(last ? packet_status::end_of_message : 0);
    packet.push_back(static_cast<uint8_t>(total >> 8));
    packet.push_back(static_cast<uint8_t>(total));
    packet.push_back(static_cast<uint8_t>(spid_ >> 8));
    packet.push_back(static_cast<uint8_t>(spid_));
    packet.push_back(packet_id_++);
    packet.push_back(0);
    packet.insert(packet.end(), pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
    if (!broken_ && !socket_.write_all(packet)) broken_ = true;
}

}  // namespace emulator::tds
