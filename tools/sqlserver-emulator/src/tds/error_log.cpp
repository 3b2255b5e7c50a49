// Error log lines: local time to the hundredth of a second, the source
// padded to twelve characters, the text.
#include "error_log.h"

#include "engine/text.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <mutex>

namespace emulator::tds {

namespace {

std::mutex log_mutex;

std::string timestamp() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto hundredths =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000 / 10;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    char with_fraction[40];
    std::snprintf(with_fraction, sizeof with_fraction, "%s.%02d", text, static_cast<int>(hundredths));
    return with_fraction;
}

}  // namespace

void log_logon_error(const ServerMessage& error, const std::string& client_address) {
    const std::string prefix = timestamp() + " Logon       ";
    const std::string lines = prefix + "Error: " + std::to_string(error.number) +
                              ", Severity: " + std::to_string(error.severity) +
                              ", State: " + std::to_string(error.state) + ".\n" + prefix + to_utf8(error.text) +
                              " [CLIENT: " + client_address + "]\n";
    std::lock_guard lock(log_mutex);
    std::cerr << lines << std::flush;
}

}  // namespace emulator::tds
