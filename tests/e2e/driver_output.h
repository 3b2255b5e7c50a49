// Reading what e2e-driver printed: one observation a line, tab-separated
// fields with backslash escapes.
#pragma once

#include <string>
#include <vector>

namespace e2e {

struct Observation {
    std::string kind;                 // "message", "status", "log", "code", "failed", ...
    std::vector<std::string> fields;  // unescaped
};

std::vector<Observation> parse_driver_output(const std::string& output);

}  // namespace e2e
