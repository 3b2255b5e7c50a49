// Per-connection entry point with its error boundary.
#include "serve_client.h"

#include "engine/messages.h"
#include "error_log.h"
#include "message_reader.h"
#include "protocol_error.h"
#include "session.h"

#include <iostream>

namespace emulator::tds {

namespace {

void swallow_until_closed(Socket& socket) {
    uint8_t byte = 0;
    while (socket.read_exact(std::span<uint8_t>(&byte, 1))) {
    }
}

// Microsoft documents only the server's side of a connection made while SQL
// Server starts up: error 17187 in the error log. The client is not answered:
// its PRELOGIN is read and the connection reset, which client libraries
// report as a connection forcibly closed during the pre-login handshake.
void refuse_while_starting(Socket& socket) {
    if (!MessageReader(socket).next()) return;  // a probe of the port, not a client
    log_logon_error(server_message(17187), socket.peer_endpoint().address);
    socket.reset_on_close();
}

}  // namespace

void serve_client(Socket& socket, Engine& engine, const ClientService& service) {
    try {
        if (std::chrono::steady_clock::now() < service.ready_at) return refuse_while_starting(socket);
        if (service.login_mode == LoginMode::hang) return swallow_until_closed(socket);
        Session(socket, engine, service.computer_name).run();
    } catch (const ProtocolError& error) {
        std::cerr << "sqlserver-emulator: closing a connection: " << error.what() << '\n';
    } catch (const std::exception& error) {
        std::cerr << "sqlserver-emulator: connection failed: " << error.what() << '\n';
    }
}

}  // namespace emulator::tds
