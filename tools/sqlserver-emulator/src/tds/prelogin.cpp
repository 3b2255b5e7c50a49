// PRELOGIN option table handling.
#include "prelogin.h"

#include "byte_reader.h"
#include "byte_writer.h"

namespace emulator::tds {

namespace {
constexpr uint8_t kTerminator = 0xFF;
constexpr size_t kEntrySize = 5;
}  // namespace

void check_prelogin(std::span<const uint8_t> payload) {
    ByteReader reader(payload);
    for (size_t at = 0;; at += kEntrySize) {
        if (reader.u8_at(at) == kTerminator) return;
        const size_t offset = reader.u16be_at(at + 1);
        const size_t length = reader.u16be_at(at + 3);
        reader.bytes_at(offset, length);
    }
}

std::vector<uint8_t> prelogin_reply(const ServerVersion& version) {
    struct Option {
        uint8_t token;
        std::vector<uint8_t> data;
    };
    const Option options[] = {
        {0x00,
         {static_cast<uint8_t>(version.major), static_cast<uint8_t>(version.minor),
          static_cast<uint8_t>(version.build >> 8), static_cast<uint8_t>(version.build), 0x00, 0x00}},  // VERSION
        {0x01, {0x02}},                                // ENCRYPTION: not supported
        {0x02, {0x00}},                                // INSTOPT
        {0x03, {}},                                    // THREADID
        {0x04, {0x00}},                                // MARS off
    };
    ByteWriter out;
    size_t data_offset = std::size(options) * kEntrySize + 1;
    for (const Option& option : options) {
        out.u8(option.token);
        out.u16be(static_cast<uint16_t>(data_offset));
        out.u16be(static_cast<uint16_t>(option.data.size()));
        data_offset += option.data.size();
    }
    out.u8(kTerminator);
    for (const Option& option : options) out.bytes(option.data);
    return out.take();
}

}  // namespace emulator::tds
