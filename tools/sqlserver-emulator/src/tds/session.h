// One client connection from PRELOGIN to disconnect: login (SQL Server or
// Windows authentication), SQL batches, ATTENTION, and a refusal for the
// requests the stand-in does not carry.
#pragma once

#include "engine/engine.h"
#include "message_reader.h"
#include "message_writer.h"
#include "socket.h"

#include <optional>
#include <string>
#include <vector>

namespace emulator::tds {

class Session {
public:
    // `computer_name` is the one the server's NTLM challenge names.
    Session(Socket& socket, Engine& engine, std::u16string computer_name);
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
    // The Windows account the client's NTLM exchange names, starting from its
    // NEGOTIATE; nullopt when the client left during it.
    std::optional<std::u16string> windows_account(const std::vector<uint8_t>& negotiate);
    bool handle_batch(const ClientMessage& message);
    void answer_not_supported(const char16_t* what);

    Socket& socket_;
    Engine& engine_;
    std::u16string computer_name_;
    MessageReader reader_;
    MessageWriter writer_;
    std::optional<int> spid_;
};

}  // namespace emulator::tds
