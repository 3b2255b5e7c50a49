// Parsing --fault RULE: fail:TEXT:NUMBER, fail-once:TEXT:NUMBER, drop:TEXT,
// drop-after:TEXT, delay:TEXT:MS, hang-login.
#pragma once

#include "engine/engine.h"

#include <string>
#include <variant>

namespace emulator::tds {

struct HangLogin {};

// The engine's rule, the protocol layer's hang-login, or the reason the rule
// is refused. TEXT may itself contain colons: the number is the last field.
std::variant<FaultRule, HangLogin, std::string> parse_fault_rule(const std::string& rule);

}  // namespace emulator::tds
