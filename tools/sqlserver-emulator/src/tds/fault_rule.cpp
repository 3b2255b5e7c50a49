// --fault parsing.
#include "fault_rule.h"

#include "engine/text.h"

#include <charconv>

namespace emulator::tds {

namespace {

// Splits "TEXT:NUMBER" at the last colon.
std::variant<FaultRule, HangLogin, std::string> text_and_number(FaultRule::Kind kind, const std::string& rest,
                                                                const std::string& rule) {
    const size_t colon = rest.rfind(':');
    if (colon == std::string::npos) return "fault rule '" + rule + "' needs TEXT:NUMBER";
    const std::string number_text = rest.substr(colon + 1);
    int number = 0;
    const auto [end, error] = std::from_chars(number_text.data(), number_text.data() + number_text.size(), number);
    if (number_text.empty() || error != std::errc() || end != number_text.data() + number_text.size() || number < 0)
        return "fault rule '" + rule + "' ends in '" + number_text + "', which is not a number";
    if (colon == 0) return "fault rule '" + rule + "' has an empty TEXT";
    return FaultRule{kind, from_utf8(rest.substr(0, colon)), number};
}

}  // namespace

std::variant<FaultRule, HangLogin, std::string> parse_fault_rule(const std::string& rule) {
    if (rule == "hang-login") return HangLogin{};
    const size_t colon = rule.find(':');
    const std::string kind = rule.substr(0, colon);
    const std::string rest = colon == std::string::npos ? "" : rule.substr(colon + 1);
    if (kind == "fail") return text_and_number(FaultRule::Kind::fail, rest, rule);
    if (kind == "fail-once") {
        auto parsed = text_and_number(FaultRule::Kind::fail, rest, rule);
        if (auto* once = std::get_if<FaultRule>(&parsed)) once->once = true;
        return parsed;
    }
    if (kind == "delay") return text_and_number(FaultRule::Kind::delay, rest, rule);
    if (kind == "drop" || kind == "drop-after") {
        if (rest.empty()) return "fault rule '" + rule + "' has an empty TEXT";
        return FaultRule{kind == "drop" ? FaultRule::Kind::drop : FaultRule::Kind::drop_after, from_utf8(rest), 0};
    }
    return "unknown fault rule '" + rule +
           "' (expected fail:TEXT:NUMBER, fail-once:TEXT:NUMBER, drop:TEXT, drop-after:TEXT, delay:TEXT:MS or "
           "hang-login)";
}

}  // namespace emulator::tds
