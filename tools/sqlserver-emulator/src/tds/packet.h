// TDS packet framing: the 8-byte header, message types and status bits.
#pragma once

#include <cstddef>
#include <cstdint>

namespace emulator::tds {

enum class PacketType : uint8_t {
    sql_batch = 0x01,
    rpc = 0x03,
    reply = 0x04,
    attention = 0x06,
    bulk_load = 0x07,
    transaction_manager = 0x0E,
    login7 = 0x10,
    sspi = 0x11,
    prelogin = 0x12,
};

namespace packet_status {
constexpr uint8_t end_of_message = 0x01;
constexpr uint8_t ignore = 0x02;
}  // namespace packet_status

constexpr size_t kHeaderSize = 8;
constexpr size_t kMaxPacketSize = 32767;
constexpr size_t kMinPacketSize = 512;
constexpr size_t kDefaultPacketSize = 4096;

}  // namespace emulator::tds
