// The stand-in's database engine: catalog, sessions and statement execution,
// independent of the wire protocol that carries the batches.
#pragma once

#include "instance_settings.h"
#include "response_sink.h"
#include "server_edition.h"
#include "server_identity.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace emulator {

// A --fault rule that the engine applies to statements whose text contains
// `text` (case-insensitive). hang-login is the protocol layer's business.
struct FaultRule {
    // drop_after: the statement runs and keeps its effect, then the connection
    // closes before its answer is sent.
    enum class Kind { fail, drop, drop_after, delay };
    Kind kind;
    std::u16string text;
    int value = 0;      // message number for fail, milliseconds for delay
    bool once = false;  // only the first statement it matches, for the whole life of the server
};

struct EngineOptions {
    std::filesystem::path state_dir;                 // catalog files live here
    std::map<char, std::filesystem::path> drives;    // upper-case letter -> host folder
    std::vector<FaultRule> faults;
    std::u16string sa_password;                      // the password of the login sa
    std::u16string machine_name;                     // the Windows computer name the server reports
    bool password_policy = false;                    // passwords must meet Windows' policy
    std::map<char, int64_t> free_mb;                 // drives whose free space the stand-in plays
    InstanceSettings instance;
    ProductVersion product_version = kDefaultProductVersion;  // a release that find_release knows
    Edition edition = Edition::standard;
    // Windows folders (on mapped drives, with a trailing backslash) where
    // SERVERPROPERTY says new databases' files go; empty: the folder of
    // master's files.
    std::u16string default_data_path{};
    std::u16string default_log_path{};               // empty: the data path
    // Windows folders the server's service account may not open, nor
    // anything under them.
    std::vector<std::u16string> unreadable{};
};

// What a LOGIN7 asked for, decoded by the protocol layer.
struct LoginRequest {
    std::u16string user;
    std::u16string password;
    std::u16string database;      // empty: the login's default database
    bool odbc_behaviour = false;  // fODBC: the session starts with QUOTED_IDENTIFIER ON
};

// How the client reached the server and proved who it is.
struct LoginChannel {
    // Windows vouched for the request's user (DOMAIN\user) in an SSPI
    // exchange; there is no password then.
    bool windows_authenticated = false;
    ConnectionInfo connection;
};

struct LoginAccepted {
    int spid;
    std::u16string database;  // the session's current database after login
};

// The errors to send (e.g. 18456 or 4060) when the login is refused, and
// what the server's error log says about it: the real state and reason,
// which the client is not told.
struct LoginRefused {
    std::vector<ServerMessage> errors;
    std::optional<ServerMessage> logged = std::nullopt;
};

enum class BatchEnd {
    completed,        // every statement answered through the sink
    drop_connection,  // a drop fault matched: close the socket without answering
};

// Thread-safe: sessions run on their own threads and call in concurrently.
// Delays and long restores do not hold the engine's lock, so other sessions
// keep being served while one waits.
class Engine {
public:
    // Loads the catalog from options.state_dir when it holds one.
    explicit Engine(EngineOptions options);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    std::variant<LoginAccepted, LoginRefused> login(const LoginRequest& request, const LoginChannel& channel = {});

    // Ends a session (the client disconnected or the connection dropped).
    void close_session(int spid);

    // How the protocol layer closes the session's connection when the server
    // ends the session itself (KILL, ALTER DATABASE ... WITH ROLLBACK). Called
    // under the engine's lock, never after close_session.
    void on_session_ended(int spid, std::function<void()> end_connection);

    // The version LOGINACK and PRELOGIN announce.
    const ProductVersion& product_version() const;

    // Runs one SQL batch of the session. Every statement ends with
    // sink.statement_done; an unsupported statement is an error message
    // naming it as not supported by the emulator, never a silent success.
    BatchEnd execute_batch(int spid, const std::u16string& sql, ResponseSink& sink);

    // Writes the catalog to the state folder. Also done after every change.
    void save();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace emulator
