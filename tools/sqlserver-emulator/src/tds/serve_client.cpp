// Per-connection entry point with its error boundary.
#include "serve_client.h"

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

}  // namespace

void serve_client(Socket& socket, Engine& engine, LoginMode mode) {
    try {
        if (mode == LoginMode::hang) return swallow_until_closed(socket);
        Session(socket, engine).run();
    } catch (const ProtocolError& error) {
        std::cerr << "sqlserver-emulator: closing a connection: " << error.what() << '\n';
    } catch (const std::exception& error) {
        std::cerr << "sqlserver-emulator: connection failed: " << error.what() << '\n';
    }
}

}  // namespace emulator::tds
