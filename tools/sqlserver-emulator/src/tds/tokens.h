// Encoders for the reply tokens the stand-in sends: LOGINACK, ENVCHANGE,
// INFO/ERROR, DONE, SSPI, and COLMETADATA with its ROWs.
#pragma once

#include "engine/response_sink.h"
#include "engine/server_identity.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace emulator::tds {

// Chinese_PRC_CI_AS: LCID 0x0804; case-insensitive, accent-sensitive,
// kana- and width-insensitive; a Windows collation, so SortId 0. FreeTDS
// derives GB18030 from LCID 0x0804, so any Chinese text survives varchar data.
constexpr std::array<uint8_t, 5> kServerCollation = {0x04, 0x08, 0xD0, 0x00, 0x00};

// The server name carried in INFO and ERROR tokens.
inline constexpr char16_t kServerName[] = u"sqlserver-emulator";

enum class EnvChange : uint8_t { database = 1, language = 2, packet_size = 4, collation = 7 };

namespace done_status {
constexpr uint16_t final = 0x00;
constexpr uint16_t more = 0x01;
constexpr uint16_t error = 0x02;
constexpr uint16_t count = 0x10;
constexpr uint16_t attention = 0x20;
}  // namespace done_status

// LOGINACK announcing the server's major, minor and build.
std::vector<uint8_t> login_ack_token(const ServerVersion& version);
std::vector<uint8_t> env_change_token(EnvChange type, std::u16string_view new_value, std::u16string_view old_value);
std::vector<uint8_t> collation_change_token();
// INFO for severity 10 and below, ERROR above.
std::vector<uint8_t> message_token(const ServerMessage& message);
std::vector<uint8_t> done_token(uint16_t status, uint16_t command, uint64_t row_count);
// SSPI (0xED): a security message for the client during login.
std::vector<uint8_t> sspi_token(const std::vector<uint8_t>& message);
// COLMETADATA followed by one ROW per row. std::logic_error when a row does
// not match the columns.
std::vector<uint8_t> result_set_tokens(const ResultSet& result);

}  // namespace emulator::tds
