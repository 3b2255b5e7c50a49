// Parsing the driver's steps.
#include "step_language.h"

namespace driver {

namespace {

std::optional<int> parse_control_id(const std::wstring& text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    int value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + (c - L'0');
    }
    return value;
}

}  // namespace

std::optional<Step> parse_step(const std::wstring& argument) {
    struct Plain {
        const wchar_t* name;
        StepKind kind;
    };
    static constexpr Plain plain_steps[] = {
        {L"startup-message", StepKind::startup_message},
        {L"wait-main", StepKind::wait_main},
        {L"status", StepKind::read_status},
        {L"log", StepKind::read_log},
        {L"install-enabled", StepKind::read_install_enabled},
        {L"message", StepKind::answer_message},
        {L"code-right", StepKind::code_right},
        {L"code-wrong", StepKind::code_wrong},
        {L"code-cancel", StepKind::code_cancel},
        {L"idle", StepKind::wait_idle},
        {L"watch-install", StepKind::watch_install},
        {L"close", StepKind::close_main},
    };
    for (const auto& plain : plain_steps)
        if (argument == plain.name) return Step{plain.kind, 0, {}, argument};

    if (argument.starts_with(L"set:")) {
        const size_t equals = argument.find(L'=');
        if (equals == std::wstring::npos) return std::nullopt;
        const auto id = parse_control_id(argument.substr(4, equals - 4));
        if (!id) return std::nullopt;
        return Step{StepKind::set_text, *id, argument.substr(equals + 1), argument};
    }
    if (argument.starts_with(L"text:")) {
        const auto id = parse_control_id(argument.substr(5));
        if (!id) return std::nullopt;
        return Step{StepKind::read_text, *id, {}, argument};
    }
    if (argument.starts_with(L"checked:")) {
        const auto id = parse_control_id(argument.substr(8));
        if (!id) return std::nullopt;
        return Step{StepKind::read_checked, *id, {}, argument};
    }
    if (argument.starts_with(L"click:")) {
        const auto id = parse_control_id(argument.substr(6));
        if (!id) return std::nullopt;
        return Step{StepKind::click, *id, {}, argument};
    }
    return std::nullopt;
}

}  // namespace driver
