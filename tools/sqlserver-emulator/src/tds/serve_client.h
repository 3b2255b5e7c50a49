// What the stand-in does with one accepted connection.
#pragma once

#include "engine/engine.h"
#include "socket.h"

namespace emulator::tds {

enum class LoginMode {
    answer,  // normal service
    hang,    // accept and read, never answer: lets clients test their login timeout
};

// Serves the connection until the client leaves. A malformed request ends
// this connection only; the reason goes to stderr.
void serve_client(Socket& socket, Engine& engine, LoginMode mode);

}  // namespace emulator::tds
