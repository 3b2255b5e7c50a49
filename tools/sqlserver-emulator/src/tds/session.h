// One client connection from PRELOGIN to disconnect: login, SQL batches,
// ATTENTION, and a refusal for the requests the stand-in does not carry.
#pragma once

#include "engine/engine.h"
#include "message_reader.h"
#include "message_writer.h"
#include "socket.h"

#include <optional>

namespace emulator::tds {

class Session {
public:
    Session(Socket& socket, Engine& engine);
    ~Session();  // closes the engine session if the login succeeded
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Serves the client until it disconnects. ProtocolError when it sends
    // something malformed; the caller then drops the connection.
    void run();

private:
    // False when the connection must close (login refused, fault rule).
    bool handle(const ClientMessage& message);
    bool handle_login(const ClientMessage& message);
    bool handle_batch(const ClientMessage& message);
    void answer_not_supported(const char16_t* what);

    Socket& socket_;
    Engine& engine_;
    MessageReader reader_;
    MessageWriter writer_;
    std::optional<int> spid_;
};

}  // namespace emulator::tds
