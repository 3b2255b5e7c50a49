// Checks the ODBC client tests share: a statement that must succeed, and the
// text of a session's or a statement's diagnostics for failure reports.
#pragma once

#include "engine/text.h"
#include "odbc_session.h"

#include <gtest/gtest.h>

#include <string>

namespace emulator::testing {

inline std::string utf8(const std::u16string& text) { return to_utf8(text); }

// Every diagnostic the connection attempt left, for a failure report.
inline std::string connect_text(const OdbcSession& session) {
    std::u16string text;
    for (const Diagnostic& diagnostic : session.connect_diagnostics()) text += diagnostic.text + u"\n";
    return utf8(text);
}

}  // namespace emulator::testing

#define EXPECT_OK(outcome)                                          \
    do {                                                            \
        const Outcome& checked_ = (outcome);                        \
        EXPECT_FALSE(checked_.failed) << utf8(checked_.all_text()); \
    } while (false)
