// LOGIN7 record decoding.
#include "login7.h"

#include "byte_reader.h"
#include "packet.h"
#include "protocol_error.h"

#include <algorithm>

namespace emulator::tds {

namespace {

constexpr size_t kFixedPartSize = 94;
constexpr uint8_t kOdbcFlag = 0x02;              // OptionFlags2.fODBC
constexpr uint8_t kIntegratedSecurityFlag = 0x80;  // OptionFlags2.fIntSecurity

// Offsets of the (ib, cch) pairs in the fixed part.
constexpr size_t kUserName = 40;
constexpr size_t kPassword = 44;
constexpr size_t kDatabase = 68;
// ibSSPI and cbSSPI; a cbSSPI of 0xFFFF means cbSSPILong holds the length.
constexpr size_t kSspi = 78;
constexpr size_t kSspiLong = 90;

std::u16string text_field(const ByteReader& record, size_t pair_offset) {
    return record.ucs2_at(record.u16le_at(pair_offset), record.u16le_at(pair_offset + 2));
}

// Each byte was nibble-swapped and then XORed with 0xA5 by the client.
std::u16string reveal_password(std::u16string scrambled) {
    auto reveal = [](unsigned byte) {
        byte ^= 0xA5;
        return ((byte << 4) | (byte >> 4)) & 0xFF;
    };
    for (char16_t& unit : scrambled) unit = static_cast<char16_t>(reveal(unit & 0xFF) | reveal(unit >> 8) << 8);
    return scrambled;
}

}  // namespace

Login7 decode_login7(std::span<const uint8_t> payload) {
    const ByteReader whole(payload);
    const uint32_t declared_length = whole.u32le_at(0);
    if (declared_length < kFixedPartSize || declared_length > payload.size())
        throw ProtocolError("LOGIN7 length does not match the packet");
    const ByteReader record(payload.first(declared_length));

    Login7 login;
    login.tds_version = record.u32le_at(4);
    login.requested_packet_size = record.u32le_at(8);
    login.request.odbc_behaviour = (record.u8_at(25) & kOdbcFlag) != 0;
    login.request.user = text_field(record, kUserName);
    login.request.password = reveal_password(text_field(record, kPassword));
    login.request.database = text_field(record, kDatabase);
    login.integrated_security = (record.u8_at(25) & kIntegratedSecurityFlag) != 0;
    if (login.integrated_security) {
        const size_t short_length = record.u16le_at(kSspi + 2);
        const size_t length = short_length == 0xFFFF ? record.u32le_at(kSspiLong) : short_length;
        const auto sspi = record.bytes_at(record.u16le_at(kSspi), length);
        login.sspi.assign(sspi.begin(), sspi.end());
    }
    return login;
}

size_t negotiated_packet_size(uint32_t requested) {
    if (requested == 0) return kDefaultPacketSize;
    return std::clamp<size_t>(requested, kMinPacketSize, kMaxPacketSize);
}

}  // namespace emulator::tds
