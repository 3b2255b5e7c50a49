// The stand-in's command line.
#pragma once

#include "engine/engine.h"
#include "listen_address.h"
#include "serve_client.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace emulator::tds {

struct Options {
    std::u16string sa_password;
    // The first is where the stand-in is found; later ones with port 0 share
    // the port the first gets, as a server listening on all addresses does.
    std::vector<ListenAddress> listen{{"127.0.0.1", 1433, false}};
    std::optional<std::filesystem::path> state_dir;  // none: a temporary folder
    std::map<char, std::filesystem::path> drives;    // upper-case letter -> host folder
    std::vector<FaultRule> faults;
    LoginMode login_mode = LoginMode::answer;
    std::optional<std::filesystem::path> init_sql;
    std::u16string machine_name;    // what SERVERPROPERTY('MachineName') answers
    bool password_policy = false;   // logins must meet Windows' password policy
    std::map<char, int64_t> free_mb;  // upper-case letter -> MB free at start
    InstanceSettings instance;
    std::vector<ListenAddress> browser;  // where SQL Server Browser requests are answered (UDP, port 1434)
    std::chrono::milliseconds startup_delay{0};  // how long logins meet a server still starting up
    std::optional<std::filesystem::path> stop_file;  // its appearance stops the server
    ProductVersion product_version = kDefaultProductVersion;
    Edition edition = Edition::standard;
    std::u16string default_data_path;         // Windows folders ending in a backslash;
    std::u16string default_log_path;          // empty: the engine's defaults
    std::vector<std::u16string> unreadable;   // Windows folders the service account may not open
};

extern const char kUsage[];

// The host's name up to its first dot, in capitals: the computer name Wine's
// GetComputerName gives a program on the same machine.
std::u16string default_machine_name();

// The options, or a one-line reason why the arguments are refused.
std::variant<Options, std::string> parse_command_line(const std::vector<std::string>& arguments);

}  // namespace emulator::tds
