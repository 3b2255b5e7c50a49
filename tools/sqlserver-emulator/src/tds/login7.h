// Decoding LOGIN7: the login, its de-obfuscated password, the database, the
// ODBC flag, the packet size the client asks for, and for integrated
// security the first SSPI message.
#pragma once

#include "engine/engine.h"

#include <cstdint>
#include <span>
#include <vector>

namespace emulator::tds {

struct Login7 {
    LoginRequest request;
    uint32_t tds_version = 0;
    uint32_t requested_packet_size = 0;  // 0: the client leaves it to the server
    // fIntSecurity: Windows authentication; user and password are empty and
    // `sspi` holds the client's first security message.
    bool integrated_security = false;
    std::vector<uint8_t> sspi;
};

// ProtocolError when the fixed part is short or a field points outside the
// record.
Login7 decode_login7(std::span<const uint8_t> payload);

// The packet size to use: the client's request clamped to what TDS allows,
// the default when it asked for none.
size_t negotiated_packet_size(uint32_t requested);

}  // namespace emulator::tds
