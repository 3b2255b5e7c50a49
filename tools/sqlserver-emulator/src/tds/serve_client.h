// What the stand-in does with one accepted connection.
#pragma once

#include "engine/engine.h"
#include "socket.h"

#include <chrono>
#include <string>

namespace emulator::tds {

enum class LoginMode {
    answer,  // normal service
    hang,    // accept and read, never answer: lets clients test their login timeout
};

// What every connection of the server shares.
struct ClientService {
    LoginMode login_mode = LoginMode::answer;
    std::u16string computer_name;  // named in the NTLM challenge
    // Until then the server is still starting up: it logs 17187 for each new
    // connection and closes it after its PRELOGIN.
    std::chrono::steady_clock::time_point ready_at{};
};

// Serves the connection until the client leaves. A malformed request ends
// this connection only; the reason goes to stderr.
void serve_client(Socket& socket, Engine& engine, const ClientService& service);

}  // namespace emulator::tds
