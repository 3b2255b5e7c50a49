// PRELOGIN: checking the client's option table and the stand-in's reply,
// which refuses encryption so the login travels in clear.
#pragma once

#include "engine/server_identity.h"

#include <cstdint>
#include <span>
#include <vector>

namespace emulator::tds {

// ProtocolError unless the option table is terminated and every option's
// data lies inside the payload.
void check_prelogin(std::span<const uint8_t> payload);

// VERSION (the server's major, minor and build), ENCRYPTION=NOT_SUP, INSTOPT,
// an empty THREADID and MARS off.
std::vector<uint8_t> prelogin_reply(const ServerVersion& version);

}  // namespace emulator::tds
