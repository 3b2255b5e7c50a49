// A deliberately low-level TDS client for the tests: it sends exactly the
// bytes it is given (well-formed or not) and decodes the replies token by
// token, so tests can check framing, DONE bits and ATTENTION handling.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace emulator::testing {

using Bytes = std::vector<uint8_t>;

struct ReplyPacket {
    uint8_t type = 0;
    uint8_t status = 0;
    uint16_t spid = 0;
    Bytes body;
    std::chrono::steady_clock::time_point arrived;
};

struct Token {
    uint8_t type = 0;
    // INFO/ERROR
    int32_t number = 0;
    uint8_t severity = 0;
    std::u16string text;  // message text, or ENVCHANGE new value
    // ENVCHANGE
    uint8_t env_type = 0;
    // DONE
    uint16_t status = 0;
    uint64_t row_count = 0;
    // COLMETADATA: the column names; ROW: the values as text ("NULL" for
    // NULL, integers in decimal, datetime as yyyy-mm-dd hh:mm:ss.mmm, GUIDs in
    // their text form, binary as hex digits)
    std::vector<std::u16string> values;
    // COLMETADATA: each column's TDS type byte
    std::vector<uint8_t> column_types;
};

struct Reply {
    std::vector<ReplyPacket> packets;
    std::vector<Token> tokens;

    std::vector<int32_t> message_numbers() const;
    const Token* find(uint8_t type) const;
    const Token& last_done() const;
};

class RawTdsClient {
public:
    explicit RawTdsClient(uint16_t port);
    ~RawTdsClient();
    RawTdsClient(const RawTdsClient&) = delete;
    RawTdsClient& operator=(const RawTdsClient&) = delete;

    void send_bytes(const Bytes& bytes);
    void send_packet(uint8_t type, uint8_t status, const Bytes& payload);
    // Splits the payload into packets of at most `packet_size` bytes.
    void send_message(uint8_t type, const Bytes& payload, size_t packet_size = 4096);

    // The next reply message; nullopt when the server closed the connection
    // or sent nothing complete before the timeout.
    std::optional<Reply> read_reply(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // True when the server closes the connection within the timeout.
    bool closed_by_server(std::chrono::milliseconds timeout = std::chrono::seconds(10));

    // PRELOGIN and LOGIN7; the LOGIN7 reply.
    std::optional<Reply> login(const std::u16string& user, const std::u16string& password, uint32_t packet_size = 4096,
                               const std::u16string& database = u"");
    std::optional<Reply> run_batch(const std::u16string& sql, size_t packet_size = 4096);

    void close_connection();

private:
    bool read_exact(uint8_t* buffer, size_t count, std::chrono::steady_clock::time_point deadline);

    int fd_ = -1;
};

// One packet: the header (claiming `claimed_length`, or the true length when
// 0) followed by `body`.
Bytes packet(uint8_t type, uint8_t status, const Bytes& body, size_t claimed_length = 0);
Bytes prelogin_payload();
Bytes login7_payload(const std::u16string& user, const std::u16string& password, uint32_t packet_size,
                     const std::u16string& database, uint8_t option_flags2 = 0x03);
Bytes batch_payload(const std::u16string& sql);

// The tokens of a whole reply (all its packets' bodies joined).
std::vector<Token> decode_tokens(const Bytes& body);

}  // namespace emulator::testing
