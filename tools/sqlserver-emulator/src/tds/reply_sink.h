// Turns what the engine answers for one batch into a TDS reply: tokens are
// streamed as they come, each statement's DONE is held back until it is known
// whether more follows, and ATTENTION from the client is noticed meanwhile.
#pragma once

#include "engine/response_sink.h"
#include "message_writer.h"
#include "socket.h"

#include <optional>

namespace emulator::tds {

// Acknowledges an ATTENTION: a message holding only DONE with the ATTN bit.
// Clients (tedious in particular) look for it in the message after the reply
// of the request they cancelled, never inside that reply.
void send_attention_ack(MessageWriter& writer);

class ReplySink : public ResponseSink {
public:
    ReplySink(MessageWriter& writer, Socket& socket) : writer_(writer), socket_(socket) {}

    void message(const ServerMessage& message) override;
    void database_changed(const std::u16string& new_database, const std::u16string& old_database) override;
    void rows(const ResultSet& result) override;
    void statement_done(bool failed, std::optional<uint64_t> row_count, Command command) override;
    bool attention_requested() const override;
    void progress_reported() override;

    // Sends the last DONE and ends the reply; when the client cancelled, the
    // acknowledgement follows as a message of its own.
    void finish();
    // True when the client closed the connection while the batch ran.
    bool client_gone() const { return client_gone_ || writer_.broken(); }

private:
    void release_held_done();

    struct HeldDone {
        uint16_t status;
        uint16_t command;
        uint64_t row_count;
    };

    MessageWriter& writer_;
    Socket& socket_;
    std::optional<HeldDone> held_done_;
    // The engine asks through a const method; looking at the socket consumes
    // an ATTENTION packet, hence mutable.
    mutable bool attention_ = false;
    mutable bool client_gone_ = false;
};

}  // namespace emulator::tds
