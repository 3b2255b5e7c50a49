// Token encoding.
#include "tokens.h"

#include "byte_writer.h"
#include "column_encoding.h"

#include <stdexcept>

namespace emulator::tds {

namespace {

constexpr uint8_t kLoginAck = 0xAD;
constexpr uint8_t kEnvChange = 0xE3;
constexpr uint8_t kInfo = 0xAB;
constexpr uint8_t kError = 0xAA;
constexpr uint8_t kDone = 0xFD;
constexpr uint8_t kSspi = 0xED;
constexpr uint8_t kColMetadata = 0x81;
constexpr uint8_t kRow = 0xD1;
constexpr uint16_t kNullableFlag = 0x0001;

// Starts a token with a two-byte length and fills the length in at the end.
class LengthPrefixedToken {
public:
    explicit LengthPrefixedToken(uint8_t token) {
        out.u8(token);
        out.u16le(0);
    }
    std::vector<uint8_t> finish() {
        out.patch_u16le(1, static_cast<uint16_t>(out.size() - 3));
        return out.take();
    }
    ByteWriter out;
};

}  // namespace

std::vector<uint8_t> login_ack_token(const ServerVersion& version) {
    LengthPrefixedToken token(kLoginAck);
    token.out.u8(1);              // interface: SQL
    token.out.u32be(0x74000004);  // TDS 7.4
    token.out.b_varchar(u"Microsoft SQL Server");
    token.out.u8(static_cast<uint8_t>(version.major));
    token.out.u8(static_cast<uint8_t>(version.minor));
    token.out.u16be(static_cast<uint16_t>(version.build));
    return token.finish();
}

std::vector<uint8_t> env_change_token(EnvChange type, std::u16string_view new_value, std::u16string_view old_value) {
    LengthPrefixedToken token(kEnvChange);
    token.out.u8(static_cast<uint8_t>(type));
    token.out.b_varchar(new_value);
    token.out.b_varchar(old_value);
    return token.finish();
}

std::vector<uint8_t> collation_change_token() {
    LengthPrefixedToken token(kEnvChange);
    token.out.u8(static_cast<uint8_t>(EnvChange::collation));
    token.out.u8(kServerCollation.size());
    for (uint8_t byte : kServerCollation) token.out.u8(byte);
    token.out.u8(0);
    return token.finish();
}

std::vector<uint8_t> message_token(const ServerMessage& message) {
    // The token length is 16 bits; a longer text is cut to fit.
    constexpr size_t kRoomForText = (0xFFFF - 4 - 1 - 1 - 2 - 1 - 2 * 255 - 1 - 2 * 255 - 4) / 2;
    const std::u16string_view text = std::u16string_view(message.text).substr(0, kRoomForText);
    LengthPrefixedToken token(message.severity > 10 ? kError : kInfo);
    token.out.u32le(static_cast<uint32_t>(message.number));
    token.out.u8(message.state);
    token.out.u8(message.severity);
    token.out.us_varchar(text);
    token.out.b_varchar(kServerName);
    token.out.b_varchar(message.procedure);
    token.out.u32le(static_cast<uint32_t>(message.line));
    return token.finish();
}

std::vector<uint8_t> done_token(uint16_t status, uint16_t command, uint64_t row_count) {
    ByteWriter out;
    out.u8(kDone);
    out.u16le(status);
    out.u16le(command);
    out.u64le(row_count);
    return out.take();
}

std::vector<uint8_t> sspi_token(const std::vector<uint8_t>& message) {
    LengthPrefixedToken token(kSspi);  // US_VARBYTE: the length is the token's
    token.out.bytes(message);
    return token.finish();
}

std::vector<uint8_t> result_set_tokens(const ResultSet& result) {
    const size_t width = result.columns.size();
    for (const auto& row : result.rows)
        if (row.size() != width) throw std::logic_error("row width differs from the column count");

    ByteWriter out;
    out.u8(kColMetadata);
    out.u16le(static_cast<uint16_t>(width));
    std::vector<ColumnLayout> layouts;
    for (size_t column = 0; column < width; ++column) {
        layouts.push_back(layout_of(result.columns[column], result.rows, column));
        out.u32le(0);  // user type
        out.u16le(kNullableFlag);
        write_type_info(out, layouts.back());
        out.b_varchar(result.columns[column].name);
    }
    for (const auto& row : result.rows) {
        out.u8(kRow);
        for (size_t column = 0; column < width; ++column) write_value(out, layouts[column], row[column]);
    }
    return out.take();
}

}  // namespace emulator::tds
