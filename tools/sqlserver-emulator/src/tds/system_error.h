// The error a failed socket or file call raises: what was tried and the
// system's reason (errno).
#pragma once

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace emulator::tds {

inline std::runtime_error system_error(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace emulator::tds
