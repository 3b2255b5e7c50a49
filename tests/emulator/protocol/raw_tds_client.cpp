// Low-level TDS client for the protocol tests.
#include "raw_tds_client.h"

#include <arpa/inet.h>
#include <chrono>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace emulator::testing {

namespace {

void put16le(Bytes& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void put32le(Bytes& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void put_ucs2(Bytes& out, std::u16string_view text) {
    for (char16_t c : text) put16le(out, c);
}

class Cursor {
public:
    explicit Cursor(const Bytes& data) : data_(data) {}
    bool done() const { return at_ >= data_.size(); }
    uint8_t u8() { return need(1), data_[at_++]; }
    uint16_t u16() {
        need(2);
        uint16_t v = static_cast<uint16_t>(data_[at_] | data_[at_ + 1] << 8);
        at_ += 2;
        return v;
    }
    uint32_t u32() { return u16() | static_cast<uint32_t>(u16()) << 16; }
    uint64_t u64() { return u32() | static_cast<uint64_t>(u32()) << 32; }
    std::u16string ucs2(size_t chars) {
        std::u16string s;
        for (size_t i = 0; i < chars; ++i) s.push_back(static_cast<char16_t>(u16()));
        return s;
    }
    void skip(size_t n) { need(n), at_ += n; }
    size_t position() const { return at_; }

private:
    void need(size_t n) const {
        if (at_ + n > data_.size()) throw std::runtime_error("reply token runs past the reply");
    }
    const Bytes& data_;
    size_t at_ = 0;
};

struct ColumnInfo {
    uint8_t type;
    uint16_t max_length;
};

std::u16string to_u16(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

// Little-endian integer of `bytes` bytes; sign-extended when `is_signed`.
int64_t read_integer(Cursor& in, size_t bytes, bool is_signed) {
    uint64_t value = 0;
    for (size_t i = 0; i < bytes; ++i) value |= static_cast<uint64_t>(in.u8()) << (8 * i);
    if (is_signed && bytes < 8 && (value >> (8 * bytes - 1)) & 1) value |= ~uint64_t{0} << (8 * bytes);
    return static_cast<int64_t>(value);
}

std::string two_digits(unsigned value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

// "yyyy-mm-dd hh:mm:ss.mmm", counted from 1900-01-01 as the type defines it.
std::u16string datetime_text(int32_t days, uint32_t ticks) {
    using namespace std::chrono;
    const year_month_day date{sys_days{year{1900} / January / 1} + std::chrono::days{days}};
    const uint32_t milliseconds = static_cast<uint32_t>((uint64_t{ticks} * 10 + 1) / 3);
    const uint32_t seconds = milliseconds / 1000;
    std::string fraction = std::to_string(milliseconds % 1000);
    fraction.insert(0, 3 - fraction.size(), '0');
    return to_u16(std::to_string(static_cast<int>(date.year())) + "-" +
                  two_digits(static_cast<unsigned>(date.month())) + "-" + two_digits(static_cast<unsigned>(date.day())) +
                  " " + two_digits(seconds / 3600) + ":" + two_digits(seconds / 60 % 60) + ":" +
                  two_digits(seconds % 60) + "." + fraction);
}

std::u16string hex(const Bytes& bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::u16string text;
    for (uint8_t byte : bytes) {
        text.push_back(static_cast<char16_t>(digits[byte >> 4]));
        text.push_back(static_cast<char16_t>(digits[byte & 15]));
    }
    return text;
}

Bytes read_bytes(Cursor& in, size_t count) {
    Bytes bytes;
    for (size_t i = 0; i < count; ++i) bytes.push_back(in.u8());
    return bytes;
}

std::u16string read_value(Cursor& in, const ColumnInfo& column) {
    switch (column.type) {
        case 0x26: {  // INTN; tinyint is the unsigned one-byte form
            const uint8_t length = in.u8();
            if (length == 0) return u"NULL";
            return to_u16(std::to_string(read_integer(in, length, length != 1)));
        }
        case 0x68: {  // BITN
            if (in.u8() == 0) return u"NULL";
            return in.u8() ? u"1" : u"0";
        }
        case 0x6C: {  // NUMERICN, scale 0
            const uint8_t length = in.u8();
            if (length == 0) return u"NULL";
            const bool positive = in.u8() == 1;
            const Bytes magnitude = read_bytes(in, length - 1u);
            uint64_t value = 0;
            for (size_t i = 0; i < magnitude.size(); ++i) {
                if (i >= 8 && magnitude[i] != 0) throw std::runtime_error("numeric beyond 64 bits");
                if (i < 8) value |= static_cast<uint64_t>(magnitude[i]) << (8 * i);
            }
            return to_u16((positive ? "" : "-") + std::to_string(value));
        }
        case 0x6F: {  // DATETIMN
            if (in.u8() == 0) return u"NULL";
            const auto days = static_cast<int32_t>(in.u32());
            return datetime_text(days, in.u32());
        }
        case 0x24: {  // GUID: the first three groups little-endian
            if (in.u8() == 0) return u"NULL";
            const Bytes wire = read_bytes(in, 16);
            const std::u16string text =
                hex({wire[3], wire[2], wire[1], wire[0]}) + u"-" + hex({wire[5], wire[4]}) + u"-" +
                hex({wire[7], wire[6]}) + u"-" + hex({wire[8], wire[9]}) + u"-" +
                hex(Bytes(wire.begin() + 10, wire.end()));
            return text;
        }
        case 0xA5: {  // BIGVARBINARY
            const uint16_t bytes = in.u16();
            if (bytes == 0xFFFF) return u"NULL";
            return hex(read_bytes(in, bytes));
        }
        case 0xAF: {  // BIGCHAR, ASCII here
            const uint16_t bytes = in.u16();
            if (bytes == 0xFFFF) return u"NULL";
            const Bytes text = read_bytes(in, bytes);
            return std::u16string(text.begin(), text.end());
        }
        default:
            break;
    }
    if (column.max_length != 0xFFFF) {
        const uint16_t bytes = in.u16();
        if (bytes == 0xFFFF) return u"NULL";
        return in.ucs2(bytes / 2);
    }
    if (in.u64() == 0xFFFFFFFFFFFFFFFFull) return u"NULL";
    std::u16string text;
    while (const uint32_t chunk = in.u32()) text += in.ucs2(chunk / 2);
    return text;
}

// Reads one column's TYPE_INFO.
ColumnInfo read_type_info(Cursor& in) {
    ColumnInfo column{in.u8(), 0};
    switch (column.type) {
        case 0x26:
        case 0x68:
        case 0x6F:
        case 0x24:
            column.max_length = in.u8();
            break;
        case 0x6C:
            column.max_length = in.u8();
            in.skip(2);  // precision, scale
            break;
        case 0xE7:
        case 0xAF:
            column.max_length = in.u16();
            in.skip(5);  // collation
            break;
        case 0xA5:
            column.max_length = in.u16();
            break;
        default:
            throw std::runtime_error("unexpected column type " + std::to_string(column.type));
    }
    return column;
}

}  // namespace

std::vector<int32_t> Reply::message_numbers() const {
    std::vector<int32_t> numbers;
    for (const Token& t : tokens)
        if (t.type == 0xAA || t.type == 0xAB) numbers.push_back(t.number);
    return numbers;
}

const Token* Reply::find(uint8_t type) const {
    for (const Token& t : tokens)
        if (t.type == type) return &t;
    return nullptr;
}

const Token& Reply::last_done() const {
    for (auto it = tokens.rbegin(); it != tokens.rend(); ++it)
        if (it->type == 0xFD) return *it;
    throw std::runtime_error("reply has no DONE");
}

std::vector<Token> decode_tokens(const Bytes& body) {
    std::vector<Token> tokens;
    std::vector<ColumnInfo> columns;
    Cursor in(body);
    while (!in.done()) {
        Token token;
        token.type = in.u8();
        switch (token.type) {
            case 0xAA:
            case 0xAB: {
                in.u16();
                token.number = static_cast<int32_t>(in.u32());
                in.u8();
                token.severity = in.u8();
                token.text = in.ucs2(in.u16());
                in.ucs2(in.u8());
                in.ucs2(in.u8());
                in.u32();
                break;
            }
            case 0xE3: {
                const uint16_t length = in.u16();
                const size_t end = in.position() + length;
                token.env_type = in.u8();
                if (token.env_type != 7) token.text = in.ucs2(in.u8());
                in.skip(end - in.position());
                break;
            }
            case 0xAD:
                in.skip(in.u16());
                break;
            case 0xFD:
            case 0xFE:
            case 0xFF:
                token.status = in.u16();
                in.u16();
                token.row_count = in.u64();
                break;
            case 0x81: {
                columns.assign(in.u16(), {});
                for (ColumnInfo& column : columns) {
                    in.u32();
                    in.u16();
                    column = read_type_info(in);
                    token.column_types.push_back(column.type);
                    token.values.push_back(in.ucs2(in.u8()));
                }
                break;
            }
            case 0xD1:
                for (const ColumnInfo& column : columns) token.values.push_back(read_value(in, column));
                break;
            default:
                throw std::runtime_error("unexpected token " + std::to_string(token.type));
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

RawTdsClient::RawTdsClient(uint16_t port) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot connect to the emulator");
}

RawTdsClient::~RawTdsClient() {
    close_connection();
}

void RawTdsClient::close_connection() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

void RawTdsClient::send_bytes(const Bytes& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t sent = send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (sent <= 0) throw std::runtime_error("send failed");
        done += static_cast<size_t>(sent);
    }
}

void RawTdsClient::send_packet(uint8_t type, uint8_t status, const Bytes& payload) {
    send_bytes(packet(type, status, payload));
}

void RawTdsClient::send_message(uint8_t type, const Bytes& payload, size_t packet_size) {
    const size_t body = packet_size - 8;
    size_t at = 0;
    do {
        const size_t chunk = std::min(body, payload.size() - at);
        const bool last = at + chunk == payload.size();
        send_packet(type, last ? 0x01 : 0x00,
                    Bytes(payload.begin() + static_cast<long>(at), payload.begin() + static_cast<long>(at + chunk)));
        at += chunk;
    } while (at < payload.size());
}

bool RawTdsClient::read_exact(uint8_t* buffer, size_t count, std::chrono::steady_clock::time_point deadline) {
    size_t done = 0;
    while (done < count) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd readable{fd_, POLLIN, 0};
        if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0) return false;
        const ssize_t got = recv(fd_, buffer + done, count - done, 0);
        if (got <= 0) return false;
        done += static_cast<size_t>(got);
    }
    return true;
}

std::optional<Reply> RawTdsClient::read_reply(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    Reply reply;
    Bytes body;
    for (;;) {
        uint8_t header[8];
        if (!read_exact(header, 8, deadline)) return std::nullopt;
        ReplyPacket packet;
        packet.type = header[0];
        packet.status = header[1];
        packet.spid = static_cast<uint16_t>(header[4] << 8 | header[5]);
        const size_t length = static_cast<size_t>(header[2] << 8 | header[3]);
        if (length < 8) throw std::runtime_error("server sent a packet shorter than its header");
        packet.body.resize(length - 8);
        if (!read_exact(packet.body.data(), packet.body.size(), deadline)) return std::nullopt;
        packet.arrived = std::chrono::steady_clock::now();
        body.insert(body.end(), packet.body.begin(), packet.body.end());
        reply.packets.push_back(std::move(packet));
        if (header[1] & 0x01) break;
    }
    reply.tokens = reply.packets.front().type == 0x04 && !body.empty() && body[0] != 0x00 ? decode_tokens(body)
                                                                                          : std::vector<Token>{};
    return reply;
}

bool RawTdsClient::closed_by_server(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd readable{fd_, POLLIN, 0};
        if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0) return false;
        uint8_t buffer[4096];
        const ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
        if (got <= 0) return true;  // end of stream or reset
    }
}

std::optional<Reply> RawTdsClient::login(const std::u16string& user, const std::u16string& password,
                                         uint32_t packet_size, const std::u16string& database) {
    send_message(0x12, prelogin_payload());
    if (!read_reply()) return std::nullopt;
    send_message(0x10, login7_payload(user, password, packet_size, database));
    return read_reply();
}

std::optional<Reply> RawTdsClient::run_batch(const std::u16string& sql, size_t packet_size) {
    send_message(0x01, batch_payload(sql), packet_size);
    return read_reply();
}

Bytes packet(uint8_t type, uint8_t status, const Bytes& body, size_t claimed_length) {
    const size_t length = claimed_length ? claimed_length : body.size() + 8;
    Bytes out = {type, status, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length), 0, 0, 1, 0};
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes prelogin_payload() {
    // VERSION and ENCRYPTION=OFF, as FreeTDS sends them, then the terminator.
    return {0x00, 0x00, 0x0B, 0x00, 0x06, 0x01, 0x00, 0x11, 0x00, 0x01, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
}

Bytes login7_payload(const std::u16string& user, const std::u16string& password, uint32_t packet_size,
                     const std::u16string& database, uint8_t option_flags2) {
    Bytes fixed;
    put32le(fixed, 0);           // length, patched below
    put32le(fixed, 0x74000004);  // TDS 7.4
    put32le(fixed, packet_size);
    put32le(fixed, 0);
    put32le(fixed, 0);
    put32le(fixed, 0);
    fixed.insert(fixed.end(), {0xF0, option_flags2, 0x00, 0x00});
    put32le(fixed, 0);
    put32le(fixed, 0x0409);
    Bytes variable;
    auto field = [&](std::u16string_view text, bool scramble) {
        put16le(fixed, static_cast<uint16_t>(94 + variable.size()));
        put16le(fixed, static_cast<uint16_t>(text.size()));
        Bytes encoded;
        put_ucs2(encoded, text);
        if (scramble)
            for (uint8_t& b : encoded) b = static_cast<uint8_t>(((b << 4) | (b >> 4)) ^ 0xA5);
        variable.insert(variable.end(), encoded.begin(), encoded.end());
    };
    field(u"testhost", false);
    field(user, false);
    field(password, true);
    field(u"raw-client", false);
    field(u"127.0.0.1", false);
    put16le(fixed, 0);  // extension
    put16le(fixed, 0);
    field(u"raw", false);
    field(u"", false);
    field(database, false);
    fixed.insert(fixed.end(), 6, 0);                // client id
    for (int i = 0; i < 3; ++i) put32le(fixed, 0);  // SSPI, attach file, change password (offset 0 length 0)
    put32le(fixed, 0);                              // SSPI long
    Bytes payload = fixed;
    payload.insert(payload.end(), variable.begin(), variable.end());
    const uint32_t length = static_cast<uint32_t>(payload.size());
    for (int i = 0; i < 4; ++i) payload[i] = static_cast<uint8_t>(length >> (8 * i));
    return payload;
}

Bytes batch_payload(const std::u16string& sql) {
    Bytes payload = {0x16, 0, 0, 0, 0x12, 0, 0, 0, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0, 0, 0};
    put_ucs2(payload, sql);
    return payload;
}

}  // namespace emulator::testing
