// The error raised when a client's bytes break the TDS rules; it ends that
// client's connection and nothing else.
#pragma once

#include <stdexcept>

namespace emulator::tds {

class ProtocolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace emulator::tds
