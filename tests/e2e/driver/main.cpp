// e2e-driver: drives the running installer through the steps given as
// arguments. Exit status: 0 all steps done, 1 a step failed or timed out,
// 2 the arguments are wrong.
#include "observations.h"
#include "step_language.h"
#include "step_runner.h"

#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

constexpr wchar_t usage[] =
    L"usage: e2e-driver [--timeout=SECONDS] STEP...\n"
    L"steps: startup-message, wait-main, set:ID=TEXT, click:ID, status, log, install-enabled,\n"
    L"       text:ID, message, code-right, code-wrong, code-cancel, idle, close\n";

}  // namespace

int wmain(int argc, wchar_t** argv) {
    DWORD timeout_ms = 30'000;
    std::vector<driver::Step> steps;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (argument.starts_with(L"--timeout=")) {
            const long seconds = std::wcstol(argument.c_str() + 10, nullptr, 10);
            if (seconds <= 0) {
                std::fputws(usage, stderr);
                return 2;
            }
            timeout_ms = static_cast<DWORD>(seconds) * 1000;
            continue;
        }
        const auto step = driver::parse_step(argument);
        if (!step) {
            std::fwprintf(stderr, L"e2e-driver: not a step: %ls\n", argument.c_str());
            std::fputws(usage, stderr);
            return 2;
        }
        steps.push_back(*step);
    }

    driver::StepRunner runner(timeout_ms);
    for (const auto& step : steps)
        if (!runner.run(step)) return 1;
    driver::print_observation({L"done"});
    return 0;
}
