// The SQL Server stand-in as the end-to-end tests run it: on a free loopback
// port, with the Wine prefix's C: drive mapped, its catalog in a per-test
// state folder, and the fault rules a test asks for.
#pragma once

#include "child_process.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace e2e {

inline constexpr char default_sa_password[] = "Sa-e2e;Pw1";  // a ';' tests the connection string's escaping

struct StandInOptions {
    std::filesystem::path state_folder;
    std::filesystem::path drive_c;
    std::vector<std::string> faults;       // --fault rules
    std::filesystem::path init_sql;        // empty: none
    std::string sa_password = default_sa_password;
    std::vector<std::string> arguments;    // further options, e.g. {"--machine-name", "STORE-SRV"}
    std::string host = "127.0.0.1";        // the one loopback address it listens on
    int port = 0;                          // 0: a free one
};

// Runs only the init script against the state folder and stops: the state
// is then ready for a server started with faults that must not hit it.
// Fails the current test (ADD_FAILURE) and returns false when the script fails.
bool prepare_state(const StandInOptions& options);

class StandInServer {
public:
    // Starts the server and waits until it listens; fails the current test
    // and leaves port() 0 when it does not.
    explicit StandInServer(const StandInOptions& options);
    ~StandInServer();

    int port() const { return port_; }
    const std::string& host() const { return host_; }
    // "HOST,PORT", as the server field takes it.
    std::string address() const;

private:
    std::string host_;
    std::unique_ptr<ChildProcess> process_;
    std::filesystem::path output_file_;
    int port_ = 0;
};

}  // namespace e2e
