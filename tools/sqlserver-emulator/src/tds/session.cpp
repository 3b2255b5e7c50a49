// The per-connection request loop.
#include "session.h"

#include "byte_reader.h"
#include "engine/text.h"
#include "error_log.h"
#include "login7.h"
#include "ntlm.h"
#include "prelogin.h"
#include "protocol_error.h"
#include "reply_sink.h"
#include "tokens.h"

#include <array>
#include <random>
#include <string>

namespace emulator::tds {

namespace {

constexpr size_t kAllHeadersLengthSize = 4;
// The error number sent for requests the stand-in does not implement.
constexpr int32_t kNotSupportedNumber = 50000;

// A batch starts with ALL_HEADERS (its total length includes itself); the SQL
// text in UCS-2 follows.
std::u16string batch_text(const std::vector<uint8_t>& payload) {
    const ByteReader reader(payload);
    const uint32_t headers_length = reader.u32le_at(0);
    if (headers_length < kAllHeadersLengthSize || headers_length > payload.size())
        throw ProtocolError("ALL_HEADERS length outside the batch");
    const size_t text_bytes = payload.size() - headers_length;
    if (text_bytes % 2 != 0) throw ProtocolError("batch text is not UCS-2");
    return reader.ucs2_at(headers_length, text_bytes / 2);
}

ServerMessage info(int32_t number, uint8_t state, std::u16string text) {
    return ServerMessage{number, state, 0, std::move(text), u"", 1};
}

}  // namespace

Session::Session(Socket& socket, Engine& engine, std::u16string computer_name)
    : socket_(socket), engine_(engine), computer_name_(std::move(computer_name)), reader_(socket), writer_(socket) {}

Session::~Session() {
    if (spid_) engine_.close_session(*spid_);
}

void Session::run() {
    while (auto message = reader_.next())
        if (!handle(*message) || writer_.broken()) return;
}

bool Session::handle(const ClientMessage& message) {
    if (!spid_) {
        switch (message.type) {
            case PacketType::prelogin:
                check_prelogin(message.payload);
                writer_.append(prelogin_reply(engine_.product_version().version));
                writer_.end_message();
                return true;
            case PacketType::login7:
                return handle_login(message);
            default:
                throw ProtocolError("request before login");
        }
    }
    switch (message.type) {
        case PacketType::sql_batch:
            return handle_batch(message);
        case PacketType::attention:
            // The reply it cancels has already been sent completely.
            send_attention_ack(writer_);
            return true;
        case PacketType::rpc:
            answer_not_supported(u"RPC requests are not supported by the emulator; send statements as SQL batches.");
            return true;
        case PacketType::transaction_manager:
            answer_not_supported(u"Transaction manager requests are not supported by the emulator.");
            return true;
        case PacketType::bulk_load:
            answer_not_supported(u"Bulk load is not supported by the emulator.");
            return true;
        default:
            throw ProtocolError("unexpected request after login");
    }
}

bool Session::handle_login(const ClientMessage& message) {
    Login7 login = decode_login7(message.payload);
    const Endpoint client = socket_.peer_endpoint();
    const Endpoint local = socket_.local_endpoint();
    LoginChannel channel;
    channel.connection = ConnectionInfo{from_utf8(client.address), client.port, from_utf8(local.address), local.port,
                                        u""};
    if (login.integrated_security) {
        const auto account = windows_account(login.sspi);
        if (!account) return false;
        login.request.user = *account;
        channel.windows_authenticated = true;
    }
    const auto outcome = engine_.login(login.request, channel);
    if (const auto* refused = std::get_if<LoginRefused>(&outcome)) {
        if (refused->logged) log_logon_error(*refused->logged, client.address);
        for (const ServerMessage& error : refused->errors) writer_.append(message_token(error));
        writer_.append(done_token(done_status::error, 0, 0));
        writer_.end_message();
        return false;  // SQL Server closes the connection after a failed login
    }
    const auto& accepted = std::get<LoginAccepted>(outcome);
    spid_ = accepted.spid;
    // A session the server ends (KILL, ALTER DATABASE ... WITH ROLLBACK) loses
    // its connection, which is all its client sees.
    engine_.on_session_ended(accepted.spid, [this] { socket_.shutdown(); });
    writer_.set_spid(static_cast<uint16_t>(accepted.spid));

    const size_t packet_size = negotiated_packet_size(login.requested_packet_size);
    const std::u16string size_text = [&] {
        const std::string digits = std::to_string(packet_size);
        return std::u16string(digits.begin(), digits.end());
    }();
    writer_.append(env_change_token(EnvChange::database, accepted.database, u"master"));
    writer_.append(message_token(info(5701, 2, u"Changed database context to '" + accepted.database + u"'.")));
    writer_.append(collation_change_token());
    writer_.append(env_change_token(EnvChange::language, u"us_english", u""));
    writer_.append(message_token(info(5703, 1, u"Changed language setting to us_english.")));
    writer_.append(login_ack_token(engine_.product_version().version));
    writer_.append(env_change_token(EnvChange::packet_size, size_text, size_text));
    writer_.append(done_token(done_status::final, 0, 0));
    writer_.end_message();
    writer_.set_packet_size(packet_size);
    return true;
}

std::optional<std::u16string> Session::windows_account(const std::vector<uint8_t>& negotiate) {
    check_ntlm_negotiate(negotiate);
    std::array<uint8_t, 8> nonce{};
    std::random_device random;
    for (uint8_t& byte : nonce) byte = static_cast<uint8_t>(random());
    // The challenge travels alone, without DONE: the login is not over.
    writer_.append(sspi_token(ntlm_challenge(computer_name_, nonce, filetime_now())));
    writer_.end_message();
    const auto answer = reader_.next();
    if (!answer) return std::nullopt;
    if (answer->type != PacketType::sspi) throw ProtocolError("expected the client's SSPI message after the challenge");
    // Windows, not SQL Server, would check the answer against the account's
    // password; the stand-in knows no Windows password and takes the account
    // the message names.
    return ntlm_account(answer->payload);
}

bool Session::handle_batch(const ClientMessage& message) {
    const std::u16string sql = batch_text(message.payload);
    ReplySink sink(writer_, socket_);
    if (engine_.execute_batch(*spid_, sql, sink) == BatchEnd::drop_connection) return false;
    if (sink.client_gone()) return false;
    sink.finish();
    return true;
}

void Session::answer_not_supported(const char16_t* what) {
    writer_.append(message_token(ServerMessage{kNotSupportedNumber, 1, 16, what, u"", 1}));
    writer_.append(done_token(done_status::error, 0, 0));
    writer_.end_message();
}

}  // namespace emulator::tds
